# Started with a file: the picture, the menus and the mouse.
source [file join [file dirname [info script]] lib.tcl]

check title [wm title .] "Quivet3: primates.nex"
check_true "log window open" [winfo ismapped .log]
set log [.log.text get 1.0 end]
check_true "version line first" [string match "Quivet3.1 (16 June 1999)\n*" $log]
check_true "file named in the log" [string match "*\nOpen file: primates.nex\n*" $log]

# Items and tags.
set labels [.display find withtag label]
check "label count" [llength $labels] 12
check "label texts" [texts label] [lsort {Lemur Loris Tarsier Marmoset Capuchin Macaque Baboon Gibbon
                                          Orangutan Gorilla Chimpanzee Human}]
foreach item $labels {
    set t [lindex [.display gettags $item] end]
    check "tags of label $t" [lrange [.display gettags $item] 0 1] {sg label}
    check "vertex of $t" [llength [.display find withtag v$t]] 1
}
set edges [.display find withtag split]
check_true "edges drawn" {[llength $edges] > 20}
foreach item $edges {
    check_true "edge tags [.display gettags $item]" [regexp {^sg split s[0-9]+$} [.display gettags $item]]
}

# Enabling rules.
check "Save enabled" [entry_state .menubar.file "Save..."] normal
check "spectral with 12 taxa" [entry_state .menubar.method "Spectral Splits"] normal
check "bootstrap labels without bootstrap" [entry_state .menubar.edit.edges Bootstrap] disabled
check "layout" [entry_state .menubar.layout "Zoom In"] normal
check "transform radio" $var_transform HAMMING

# Menu entries and keys.
proc width {} { lassign [.display bbox split] x0 y0 x1 y1; return [expr {$x1 - $x0}] }
set before [width]
invoke_entry .menubar.layout "Zoom In"
check_true "zoom in grows the picture" {[width] > $before * 1.05}
event generate . <Down>
update
check_true "the Down key zooms out" {abs([width] - $before * 0.99) < 2}
proc label_x {t} { return [lindex [.display coords [.display find withtag $t]] 0] }
set x [label_x t1]
set x0 [lindex [qv_state canvas_origin] 0]
invoke_entry .menubar.layout "Flip Left-Right"
check_true "flip moves label 1 across" {($x - $x0) * ([label_x t1] - $x0) < 0}
invoke_entry .menubar.layout "Flip Left-Right"
.menubar.edit.vertices invoke [menu_index .menubar.edit.vertices Numbers]
check "numbered labels" [texts label] [lsort {1 2 3 4 5 6 7 8 9 10 11 12}]
check "vertex radio" $var_vertices NUMBERS
.menubar.edit.vertices invoke [menu_index .menubar.edit.vertices Names]
.menubar.options invoke [menu_index .menubar.options "Kimura 3ST"]
check "transform changed" [qv_state transform] K3ST
check_true "info line follows" {[string match "*-k3st*" $var_info_string]}

# Selecting a split and turning it: press on the edge a little off its
# middle, then drag a quarter turn around the middle.
set picked ""
foreach item [.display find withtag split] {
    lassign [.display coords $item] x1 y1 x2 y2
    set len [expr {hypot($x2 - $x1, $y2 - $y1)}]
    if {$len < 30} continue
    set mx [expr {($x1 + $x2) / 2.0}]
    set my [expr {($y1 + $y2) / 2.0}]
    set px [expr {round($mx + 8 * ($x2 - $x1) / $len)}]
    set py [expr {round($my + 8 * ($y2 - $y1) / $len)}]
    if {[lindex [item_at $px $py] 0] eq "split" && [lindex [item_at $px $py] 1] == $item} {
        set picked $item
        break
    }
}
check_true "a split edge to pick" {$picked ne ""}
set s [item_id $picked s]
set angle [line_angle [lindex [.display find withtag $s] 0]]
pointer <ButtonPress-1> $px $py
check "selection" $var_selection $s
check "mark" [qv_state mark] $s
foreach item [.display find withtag $s] {
    check "marked width" [.display itemcget $item -width] 4.0
}
check_true "split described in the log" {[string match "*Split $s: Weight: *Set:*" [.log.text get 1.0 end]]}
set qx [expr {$mx - ($py - $my) * 5}]
set qy [expr {$my + ($px - $mx) * 5}]
pointer <B1-Motion> $qx $qy
pointer <ButtonRelease-1> $qx $qy
set turned [expr {fmod(abs([line_angle [lindex [.display find withtag $s] 0]] - $angle), 180)}]
check_true "split turned by a right angle ($turned)" {abs($turned - 90) < 2.5}
check "still selected" [qv_state mark] $s
pointer <ButtonPress-1> 2 2
pointer <ButtonRelease-1> 2 2
check "deselected" [qv_state mark] 0

# Dragging a label moves it for good.
set item [.display find withtag t5]
lassign [.display coords $item] lx ly
pointer <ButtonPress-1> $lx $ly
check "dragging a label" $var_moving label
pointer <B1-Motion> [expr {$lx + 30}] [expr {$ly + 10}]
pointer <ButtonRelease-1> [expr {$lx + 30}] [expr {$ly + 10}]
lassign [.display coords [.display find withtag t5]] nx ny
check_true "label moved ($lx,$ly -> $nx,$ny)" {abs($nx - $lx - 30) < 1.5 && abs($ny - $ly - 10) < 1.5}
check "temporary line gone" [.display find withtag templine] {}

# Taxa window: hide two taxa.
invoke_entry .menubar.options "Taxa..."
check_true "taxa window shown" [winfo ismapped .taxa]
check "active taxa" [.taxa.active size] 12
.taxa.active selection set 0
.taxa.active selection set 11
move_items .taxa.active .taxa.hidden
.taxa.buttons.apply invoke
check "taxa left" [qv_state ntax] 10
check "hidden list" [.taxa.hidden get 0 end] {Lemur Human}
check "labels on the canvas" [llength [.display find withtag label]] 10
move_all .taxa.hidden .taxa.active
.taxa.buttons.apply invoke
check "all taxa back" [qv_state ntax] 12

# Saving and exporting.
set next_file [file join [pwd] saved.nex]
invoke_entry .menubar.file "Save..."
check_true "saved file" {[file exists saved.nex]}
set f [open saved.nex]
check "saved header" [gets $f] "#NEXUS"
close $f
check title [wm title .] "Quivet3: saved.nex"
set next_file [file join [pwd] picture.ps]
invoke_entry .menubar.file "Export PS..."
set f [open picture.ps]
check_true "canvas PostScript" [string match "%!PS-Adobe*" [gets $f]]
close $f

# A method that fails leaves no picture of the splits it replaced.
check "a failed method is an error" [catch {qv_cmd "assume method=lsplits"}] 1
check "no stale picture" [.display find withtag split] {}
check "layout disabled after a failure" [entry_state .menubar.layout "Zoom In"] disabled
qv_cmd "assume method=dsplits"
check_true "picture back" {[llength [.display find withtag split]] > 20}

# Closing empties the picture and disables what needs data.
event generate . <Control-w>
update
check "canvas empty" [.display find withtag split] {}
check title [wm title .] Quivet3
check "Save disabled" [entry_state .menubar.file "Save..."] disabled
check "layout disabled" [entry_state .menubar.layout "Zoom In"] disabled
check "no dialogs" $boxes {}
finish
