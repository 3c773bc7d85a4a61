# The picture fills the window at any size; the wheel, the save-changes
# question and the command window.
source [file join [file dirname [info script]] lib.tcl]

# The whole picture, labels included, stays inside the canvas and fills at
# least 80 % of its width or height.
proc check_fit {what} {
    lassign [picture_box] x0 y0 x1 y1
    set w [winfo width .display]
    set h [winfo height .display]
    check_true "$what: inside ($x0 $y0 $x1 $y1 in ${w}x$h)" {$x0 >= 0 && $y0 >= 0 && $x1 <= $w && $y1 <= $h}
    check_true "$what: fills ($x0 $y0 $x1 $y1 in ${w}x$h)" {$x1 - $x0 >= 0.8 * $w || $y1 - $y0 >= 0.8 * $h}
}

foreach {w h} {800 600 500 700 1000 450} {
    resize $w $h
    check_fit "${w}x$h"
}
invoke_entry .menubar.layout "Rotate Left"
invoke_entry .menubar.layout "Fit to Window"
check_fit "fitted after a turn"
invoke_entry .menubar.edit.vertices Both
check_fit "longer labels"

# A zoomed picture keeps its size relative to the window.
invoke_entry .menubar.layout "Zoom In"
lassign [picture_box] x0 y0 x1 y1
set before [expr {$x1 - $x0}]
resize 500 225
lassign [picture_box] x0 y0 x1 y1
check_true "zoomed picture follows the window ($before -> [expr {$x1 - $x0}])" \
    {abs(($x1 - $x0) / $before - 0.5) < 0.08}
resize 1000 450

# The canvas as PostScript keeps to the size of a page.
set next_file [file join [pwd] wide.ps]
invoke_entry .menubar.file "Export PS..."
set f [open wide.ps]
regexp {%%BoundingBox: ([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)} [read $f] -> bx0 by0 bx1 by1
close $f
check_true "picture within 500 points ($bx0 $by0 $bx1 $by1)" {$bx1 - $bx0 <= 502 && $by1 - $by0 <= 502}

# The wheel zooms by a tenth about the pointer: the label under it stays.
invoke_entry .menubar.layout "Fit to Window"
set var_changed 0
lassign [.display coords [.display find withtag t3]] lx ly
set wx [expr {round($lx - [.display canvasx 0])}]
set wy [expr {round($ly - [.display canvasy 0])}]
lassign [picture_box] x0 y0 x1 y1
set width [expr {$x1 - $x0}]
event generate .display <Button-4> -x $wx -y $wy
update
lassign [.display coords [.display find withtag t3]] nx ny
check_true "label under the pointer stays ($wx,$wy)" \
    {abs($nx - [.display canvasx 0] - $wx) < 3 && abs($ny - [.display canvasy 0] - $wy) < 3}
lassign [picture_box] x0 y0 x1 y1
check_true "wheel zooms in" {$x1 - $x0 > $width * 1.05}
event generate .display <Button-5> -x $wx -y $wy
update
lassign [picture_box] x0 y0 x1 y1
check_true "and out again" {abs($x1 - $x0 - $width * 0.99) < 4}
check "zooming is no change to save" $var_changed 0

# A narrow window elides the information line; the tooltip has it all.
resize 320 300
set shown [.info.text cget -text]
check_true "elided ($shown)" {[string index $shown end] eq "\u2026" && [string length $shown] < [string length $var_info_string]}
check_true "within the line" {[winfo reqwidth .info.text] <= [winfo width .info] + 2}
event generate .info.text <Enter>
update
check "tooltip" [.tooltip.text cget -text] $var_info_string
event generate .info.text <Leave>
resize 1000 450
check "whole line again" [.info.text cget -text] $var_info_string

# The Help menu.
invoke_entry .menubar.help "Getting Started"
check_true "getting started" {[winfo ismapped .start] && [string match "Getting started*" [.start.text get 1.0 end]]}
destroy .start

# Edit entries that cannot do anything stay disabled.
check "Undo" [entry_state .menubar.edit Undo] disabled
check "Paste" [entry_state .menubar.edit Paste] disabled
check "Cut" [entry_state .menubar.edit Cut] normal

# The command window: Return runs the text, Up and Down walk the history.
invoke_entry .menubar.window "Command Window"
update
focus -force .cmd.text
update
foreach command {"assume transform=jc" "show taxa"} {
    .cmd.text insert end $command
    event generate .cmd.text <Return>
    update
}
check "jc by Return" [qv_state transform] JC
check "field cleared" [.cmd.text get 1.0 end-1c] ""
check_true "answer in the log" {[string first "TAXLABELS" [string toupper [.log.text get 1.0 end]]] >= 0}
event generate .cmd.text <Up>
check "Up" [.cmd.text get 1.0 end-1c] "show taxa"
event generate .cmd.text <Up>
check "Up again" [.cmd.text get 1.0 end-1c] "assume transform=jc"
event generate .cmd.text <Down>
event generate .cmd.text <Down>
check "back to an empty line" [.cmd.text get 1.0 end-1c] ""
check "a new transform is a change" $var_changed 1

# Quit asks about the unsaved change: Cancel stays, Save saves, and
# Discard leaves without saving.
set left 0
proc leave_program {} { incr ::left }
set answer 2
invoke_entry .menubar.file Quit
check "asked" [lindex $questions end] "Save changes to primates.nex?"
check "Cancel stays" $left 0
set answer 0
set next_file [file join [pwd] kept.nex]
invoke_entry .menubar.file Quit
check_true "Save saved" {$left == 1 && [file exists kept.nex] && $var_changed == 0}
set asked [llength $questions]
invoke_entry .menubar.file Quit
check "nothing to ask once saved" [list [llength $questions] $left] [list $asked 2]
qv_cmd "assume transform=hamming"
set answer 1
file delete kept.nex
invoke_entry .menubar.file Quit
check_true "Discard leaves unsaved" {$left == 3 && ![file exists kept.nex]}
check "no dialogs" $boxes {}

# A save that cannot write (a folder that does not exist, so that root
# cannot write it either) keeps the title and the name offered next, and
# shows the error once.
set title [wm title .]
set offered $var_filename
set next_file [file join [pwd] missing x.nex]
invoke_entry .menubar.file Save...
check "title kept" [wm title .] $title
check "name kept" $var_filename $offered
check "error shown once" $boxes [list "Can't open file: $next_file to write"]
check_true "the command failed" {[catch {qv_cmd "save [nexus_word $next_file]"} msg] && $msg eq [lindex $boxes 0]}
set next_file [file join [pwd] good.nex]
invoke_entry .menubar.file Save...
check "title after a save" [wm title .] "$program_name: good.nex"
check "name after a save" $var_filename $next_file
finish
