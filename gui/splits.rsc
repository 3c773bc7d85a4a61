# Quivet's graphical interface.
#
# The program evaluates this script at start (a file splits.rsc in the
# current folder takes the place of the built-in copy), then replaces the
# placeholder commands qv_cmd0, qv_state0 and qv_draw_graph0 by its own and
# calls update_state. Every action of the user becomes a command of the
# command language, sent with qv_cmd; the script then reads the document's
# state back with qv_state and redraws.
#
# Text that comes from the document or the user (labels, file names, log
# text) travels only in variables and widget values and is never evaluated
# as a script.

# ------------------------------------------------------------------ settings

set SPLITS_DIR .
set program_name Quivet3
set display_width 450
set display_height 250
set var_selection 0
set var_label_id 0
set var_label_tag ""
set var_info_string ""
set var_transform none
set var_method none
set var_filename foo.nex
set var_buffer $SPLITS_DIR/splits.buf
set var_vertices none
set var_to_scale -1
foreach w {taxawin exconstwin charswin cmdwin bootswin cyclewin logwin} {
    set var_show_$w 0
}
set var_exconst 0
set var_exconstv 0
set var_codon1 1
set var_codon2 1
set var_codon3 1
set var_codon_offset 0
set var_exset ""
set var_bootstrap_runs 1000
set var_cycle ""
set var_moving none
set var_split_message ""
set var_edge_transform None
set var_in_command 0
# Log text that arrives before the log window is first opened waits here.
set var_pending_log ""
# While a split is dragged: its midpoint and the pointer's last direction.
set var_mid {0 0}
set var_last_angle 0
set var_last {0 0}

set nexus_types {{NEXUS .nex} {NEXUS .nxs} {TEXT .txt} {ALL .*}}

# ------------------------------------------------- talking to the program

# Placeholders, replaced by the program's own commands once it has loaded
# this script.
proc qv_cmd0 {var} { tk_messageBox -message "qv_cmd: $var" }
proc qv_state0 {var} { tk_messageBox -message "qv_state: $var" }
proc qv_draw_graph0 {} { tk_messageBox -message "qv_draw_graph" }
proc qv_updating {flag} {}
proc qv_xy2angle {x y} { return 0 }

proc set_cursor {cursor} {
    catch {. configure -cursor $cursor}
    catch {.display configure -cursor $cursor}
}

# Runs a command of the command language, then brings every window up to
# date. A command that arrives while another one runs is dropped.
proc qv_cmd {var} {
    global var_in_command
    if {$var_in_command} return
    set var_in_command 1
    set_cursor watch
    qv_updating 1
    set code [catch {
        qv_cmd0 $var
        update_state
    } result]
    qv_updating 0
    set var_in_command 0
    set_cursor {}
    return -code $code $result
}

# A command whose messages are not logged.
proc qv_cmdqu {var} {
    qv_cmd "messages-;$var"
    qv_cmd "messages+"
}

# A quick command while the pointer drags: no state update, no events.
proc qv_cmdq {var} {
    global var_in_command
    if {$var_in_command} return
    set var_in_command 1
    set code [catch {qv_cmd0 $var} result]
    set var_in_command 0
    return -code $code $result
}

proc qv_state {var} { return [qv_state0 $var] }
proc qv_draw_graph {} { qv_draw_graph0 }

# A text as one quoted word of the command language.
proc nexus_word {text} {
    return "'[string map {' ''} $text]'"
}

proc append_log {text} {
    global var_pending_log
    if {![winfo exists .log.text]} {
        append var_pending_log $text
        return
    }
    .log.text configure -state normal
    .log.text insert end $text
    .log.text configure -state disabled
    .log.text see end
}

# ------------------------------------------------------------- main window

wm title . $program_name
wm protocol . WM_DELETE_WINDOW exit_program

frame .sep -height 2 -borderwidth 1 -relief sunken
canvas .display -background white -width $display_width -height $display_height \
    -highlightthickness 0 -xscrollcommand {.hscroll set} -yscrollcommand {.vscroll set}
scrollbar .vscroll -orient vertical -command {.display yview}
scrollbar .hscroll -orient horizontal -command {.display xview}
# The information line has a fixed height and never widens the window.
frame .info -relief groove -borderwidth 2 \
    -height [expr {max(16, [font metrics TkDefaultFont -linespace] + 6)}]
pack propagate .info 0
label .info.text -textvariable var_info_string -anchor w -padx 2 -pady 0
pack .info.text -side left -fill both -expand 1
grid .sep -row 0 -column 0 -columnspan 2 -sticky ew
grid .display -row 1 -column 0 -sticky nsew
grid .vscroll -row 1 -column 1 -sticky ns
grid .hscroll -row 2 -column 0 -sticky ew
grid .info -row 3 -column 0 -columnspan 2 -sticky ew
grid rowconfigure . 1 -weight 1
grid columnconfigure . 0 -weight 1

# The scroll region covers the picture and a window's size around its
# middle, so that a small picture can stand in the middle of the window.
proc set_scrollbars {} {
    global display_width display_height
    set w [winfo width .display]
    set h [winfo height .display]
    if {$w <= 1} { set w $display_width }
    if {$h <= 1} { set h $display_height }
    set region [list 0 0 $w $h]
    set box [.display bbox all]
    set picture [.display bbox split label vertex]
    if {[llength $box] == 4 && [llength $picture] == 4} {
        lassign $box x0 y0 x1 y1
        lassign $picture px0 py0 px1 py1
        set cx [expr {($px0 + $px1 - $w) / 2.0}]
        set cy [expr {($py0 + $py1 - $h) / 2.0}]
        set region [list [expr {min($cx, $x0)}] [expr {min($cy, $y0)}] \
                        [expr {max($cx + $w, $x1)}] [expr {max($cy + $h, $y1)}]]
    }
    .display configure -scrollregion $region -xscrollincrement 0.1i -yscrollincrement 0.1i
}

# Brings the middle of the picture to the middle of the window.
proc center_view {} {
    set box [.display bbox split label vertex]
    set region [.display cget -scrollregion]
    if {[llength $box] != 4 || [llength $region] != 4} return
    lassign $box x0 y0 x1 y1
    lassign $region rx0 ry0 rx1 ry1
    set w [winfo width .display]
    set h [winfo height .display]
    if {$w <= 1 || $rx1 <= $rx0 || $ry1 <= $ry0} return
    .display xview moveto [expr {(($x0 + $x1 - $w) / 2.0 - $rx0) / ($rx1 - $rx0)}]
    .display yview moveto [expr {(($y0 + $y1 - $h) / 2.0 - $ry0) / ($ry1 - $ry0)}]
}

# The scale bar in the top left corner of the visible area.
proc draw_scale {} {
    .display delete scalebar
    set bar [qv_state scalebar]
    if {[llength $bar] != 2} return
    lassign $bar length value
    if {!([string is double -strict $value] && $value > 0)} return
    set x [.display canvasx 10]
    set y [.display canvasy 10]
    set x2 [expr {$x + $length}]
    set tags {sg scalebar}
    .display create line $x $y $x2 $y -tags $tags
    .display create line $x [expr {$y - 3.5}] $x [expr {$y + 3.5}] -tags $tags
    .display create line $x2 [expr {$y - 3.5}] $x2 [expr {$y + 3.5}] -tags $tags
    .display create text [expr {$x2 + 3}] $y -text $value -anchor w -tags $tags
}

# ------------------------------------------------------------------- menus

menu .menubar -tearoff 0
. configure -menu .menubar
foreach {name label title} {
    file File ":File Menu"
    edit Edit "QV:Edit Menu"
    layout Layout "QV:Layout Menu"
    options Options "QV:Options Menu"
    method Method "QV:Method Menu"
    fit Fit "QV:Fit Menu"
    window Window "QV:Window Menu"
} {
    menu .menubar.$name -title $title
    .menubar add cascade -label $label -menu .menubar.$name -underline 0
}

set m .menubar.file
$m add command -label "New Window" -accelerator Ctrl+N -command new_window
$m add command -label "Open..." -accelerator Ctrl+O -command {open_file ""}
$m add command -label "Save..." -accelerator Ctrl+S -command {save_file {}}
$m add command -label "Export PS..." -accelerator Ctrl+P -command {ps_file 0}
$m add command -label "Close" -accelerator Ctrl+W -command close_document
$m add separator
$m add command -label "Quit" -accelerator Ctrl+Q -command exit_program

set m .menubar.edit
set copy_label Copy
if {$tcl_platform(platform) eq "unix" && [auto_execok pstoedit] ne ""} {
    set copy_label "Copy to xfig"
}
$m add command -label Undo -command {cb_edit undo}
$m add command -label Cut -command {cb_edit cut}
$m add command -label $copy_label -command {cb_edit copy}
$m add command -label Paste -command {cb_edit paste}
$m add separator
$m add cascade -label "Vertex Labels" -menu $m.vertices
$m add cascade -label "Edge Labels" -menu $m.edges
menu $m.vertices -title "QV:Vertices"
foreach {label value} {Names NAMES Numbers NUMBERS Both BOTH - - None NONE} {
    if {$label eq "-"} {
        $m.vertices add separator
        continue
    }
    $m.vertices add radiobutton -label $label -variable var_vertices -value $value \
        -command [list qv_cmdqu "draw taxlabels=[string tolower $value]"]
}
menu $m.edges -title "QV:Edge"
foreach {label value} {Values VALUES Bootstrap BOOTSTRAPS Numbers NUMBERS - - None NONE} {
    if {$label eq "-"} {
        $m.edges add separator
        continue
    }
    $m.edges add radiobutton -label $label -variable var_edges -value $value \
        -command [list qv_cmdqu "draw splitlabels=[string tolower $value]"]
}

set m .menubar.layout
$m add command -label Reset -command {qv_cmdqu "draw rotate=0 zoom=auto vflip=0 hflip=0"}
$m add command -label "Zoom In" -accelerator Up -command {qv_cmdqu "draw zoom'++'"}
$m add command -label "Zoom Out" -accelerator Down -command {qv_cmdqu "draw zoom'--'"}
$m add command -label "Rotate Left" -accelerator Left -command {qv_cmdqu "draw zoom=noauto rotate'++'"}
$m add command -label "Rotate Right" -accelerator Right -command {qv_cmdqu "draw zoom=noauto rotate'--'"}
$m add command -label "Flip Left-Right" -command {qv_cmdqu "draw hflip'++'"}
$m add command -label "Flip Up-Down" -command {qv_cmdqu "draw vflip'++'"}
$m add separator
$m add checkbutton -label "Cycle..." -variable var_show_cyclewin \
    -command {show_window .cycle var_show_cyclewin}
$m add separator
$m add radiobutton -label "To Scale" -variable var_to_scale -value 1 -command {qv_cmdqu "draw to_scale"}
$m add radiobutton -label "Equal Edges" -variable var_to_scale -value 0 -command {qv_cmdqu "draw equal_edges"}

set m .menubar.options
$m add checkbutton -label "Taxa..." -variable var_show_taxawin -command {show_window .taxa var_show_taxawin}
$m add checkbutton -label "Characters..." -variable var_show_charswin \
    -command {show_window .chars var_show_charswin}
$m add separator
foreach {label what} {"Exclude Gaps" gaps "Exclude Missing" missing "Exclude Non Parsimony" nonparsimony} {
    $m add checkbutton -label $label -variable var_exclude_$what -command [list exclude_switch $what]
}
$m add checkbutton -label "Exclude Constant..." -variable var_show_exconstwin \
    -command {show_window .exconst var_show_exconstwin}
$m add separator
foreach {label value} {Hamming HAMMING "Kimura 3ST" K3ST "Jukes Cantor" JC LogDet LOGDET
                       "Nei Miller" NEI_MILLER PAM250 PAM250} {
    $m add radiobutton -label $label -variable var_transform -value $value \
        -command [list qv_cmd "assume transform=[string tolower $value]"]
}
$m add separator
$m add checkbutton -label "Force Triangle Inequalities" -variable var_forcetri -command {
    if {$var_forcetri} {
        qv_cmd "begin distances;force_metric;end;"
    } else {
        qv_cmd "begin distances;no force_metric;end;"
    }
}

set m .menubar.method
foreach {label value} {"Split Decomposition" DSPLITS "Parsimony Splits" PSPLITS "Spectral Splits" SPECTRAL
                       "Buneman Tree" DTREE P-Tree PTREE "Spectral Tree" STREE "Neighbor-Net" NNET} {
    $m add radiobutton -label $label -variable var_method -value $value \
        -command [list qv_cmd "assume method=[string tolower $value]"]
}
$m add separator
$m add checkbutton -label "Bootstrap..." -variable var_show_bootswin -command {show_window .boots var_show_bootswin}

set m .menubar.fit
foreach {label value} {"Don't Apply Edge Fitting" NONE "Least Squares" LEAST_SQUARES
                       "Fitch-Margoliash (Power 1)" FM_POW1 "Fitch-Margoliash (Power 2)" FM_POW2
                       "Average Supporting Quartets" AVERAGE} {
    set word [expr {$value eq "NONE" ? "none" : $value}]
    $m add radiobutton -label $label -variable var_edge_transform -value $value \
        -command [list qv_cmd "assume edge_transform=$word"]
}

set m .menubar.window
$m add cascade -label "Syntax..." -menu $m.syntax
$m add cascade -label "Show..." -menu $m.show
menu $m.syntax -title "QV:Syntax"
menu $m.show -title "QV:Show"
foreach {label block} {QV_Assumptions qv_assumptions - - Taxa taxa Characters characters
                       Distances distances - - QV_Splits qv_splits QV_Graph qv_graph - -
                       QV_Spectra qv_spectra QV_Extras qv_extras - - QV_Bootstrap qv_bootstrap} {
    if {$label eq "-"} {
        $m.syntax add separator
        $m.show add separator
        continue
    }
    $m.syntax add command -label $label -command [list log_command "help $block"]
    $m.show add command -label $label -command [list log_command "show $block"]
}
$m add separator
$m add command -label "Get Info" -command {log_command info}
$m add command -label "Version" -command {log_command "version;valid"}
$m add separator
$m add checkbutton -label "Command Window" -variable var_show_cmdwin -command {show_window .cmd var_show_cmdwin}
$m add checkbutton -label "Log Window" -variable var_show_logwin -command toggle_logwin
unset m

# The index of the menu entry with this label (compared exactly, so that
# labels are never taken for patterns).
proc menu_index {m label} {
    set last [$m index end]
    if {$last eq "none"} {
        set last -1
    }
    for {set i 0} {$i <= $last} {incr i} {
        if {[$m type $i] ni {separator tearoff} && [$m entrycget $i -label] eq $label} {
            return $i
        }
    }
    error "menu $m has no entry $label"
}

proc set_entries {m state labels} {
    foreach label $labels {
        $m entryconfigure [menu_index $m $label] -state $state
    }
}

# Sets every entry of a menu that can have a state.
proc fix_menu {m state} {
    set last [$m index end]
    if {$last eq "none"} return
    for {set i 0} {$i <= $last} {incr i} {
        if {[$m type $i] ni {separator tearoff}} {
            $m entryconfigure $i -state $state
        }
    }
}

proc invoke_entry {m label} {
    $m invoke [menu_index $m $label]
}

foreach {key label} {n "New Window" o "Open..." s "Save..." p "Export PS..." w Close q Quit} {
    bind . <Control-$key> [list invoke_entry .menubar.file $label]
}
foreach {key label} {Up "Zoom In" Down "Zoom Out" Left "Rotate Left" Right "Rotate Right"} {
    bind . <$key> [list invoke_entry .menubar.layout $label]
}

# ------------------------------------------------------------ menu actions

proc new_window {} {
    catch {exec [info nameofexecutable] &}
}

proc exit_program {} {
    # Leaving in the middle of a computation cannot wait for it.
    if {$::var_in_command} {
        exit 0
    }
    destroy .
}

proc close_document {} {
    global program_name
    qv_cmd "close"
    qv_cmdqu "draw"
    wm title . $program_name
}

proc exclude_switch {what} {
    if {[set ::var_exclude_$what]} {
        qv_cmd "assume exclude $what"
    } else {
        qv_cmd "assume exclude no $what"
    }
}

# Opens the log window and runs a command whose answer is written there.
proc log_command {text} {
    show_logwin
    qv_cmd $text
}

proc cb_edit {what} {
    global program_name
    switch -- $what {
        cut {
            copy_to_clipboard
            qv_cmd "close"
            qv_cmdqu "draw"
            wm title . $program_name
        }
        copy {
            copy_to_clipboard
        }
    }
}

# ------------------------------------------------------------ file dialogs

proc open_file {{name ""}} {
    global var_filename program_name nexus_types
    show_logwin
    if {$name eq ""} {
        set name [tk_getOpenFile -title "Open Nexus File" -filetypes $nexus_types \
                      -initialfile [file tail $var_filename]]
        if {$name eq ""} return
    }
    set var_filename $name
    append_log "\nOpen file: $name\n"
    if {![catch {qv_cmd "open [nexus_word $name]"}]} {
        wm title . "$program_name: [file tail $name]"
    }
}

proc save_file {blocks} {
    global var_filename program_name nexus_types
    set name [tk_getSaveFile -title "Save Nexus File" -filetypes $nexus_types \
                  -initialfile [file tail $var_filename]]
    if {$name eq ""} return
    set var_filename $name
    if {[catch {qv_cmd [string trim "save $blocks [nexus_word $name]"]}]} {
        tk_messageBox -icon warning -message "Couldn't save file: $name"
    } else {
        wm title . "$program_name: [file tail $name]"
    }
}

# The canvas as Encapsulated PostScript, framed to the picture.
proc canvas_postscript {args} {
    set box [.display bbox sg]
    if {[llength $box] == 4} {
        lassign $box x0 y0 x1 y1
        lappend args -x [expr {$x0 - 5}] -y [expr {$y0 - 5}] \
            -width [expr {$x1 - $x0 + 10}] -height [expr {$y1 - $y0 + 10}]
    }
    return [.display postscript {*}$args]
}

# full 1: the program's own PostScript page; 0: the canvas as shown.
proc ps_file {full} {
    global var_filename
    set name [tk_getSaveFile -title "Save PS File" -filetypes {{PS .ps} {EPS .eps}} \
                  -initialfile "[file rootname [file tail $var_filename]].ps"]
    if {$name eq ""} return
    if {$full} {
        set failed [catch {qv_cmd "ps [nexus_word $name]"}]
    } else {
        set failed [catch {canvas_postscript -file $name}]
    }
    if {$failed} {
        tk_messageBox -icon warning -message "Couldn't save file: $name"
    }
}

proc temp_folder {} {
    if {[info exists ::env(TMPDIR)] && [file isdirectory $::env(TMPDIR)]} {
        return $::env(TMPDIR)
    }
    return /tmp
}

# The picture goes on the clipboard as Encapsulated PostScript; where
# pstoedit is installed it also replaces the xfig cut buffer.
proc copy_to_clipboard {} {
    global tcl_platform env
    clipboard clear
    clipboard append -type ENCAPSULATED_POSTSCRIPT -- [canvas_postscript]
    if {$tcl_platform(platform) ne "unix" || [auto_execok pstoedit] eq "" || ![info exists env(HOME)]} {
        return
    }
    set dir [file join [temp_folder] quivet-copy-[pid]-[clock clicks]]
    catch {
        file mkdir $dir
        set ps [file join $dir tmpcopy.ps]
        set fig [file join $dir tmpcopy.fig]
        qv_cmdqu "ps [nexus_word $ps]"
        exec -ignorestderr pstoedit -f fig $ps $fig
        file rename -force $fig [file join $env(HOME) .xfig]
    }
    catch {file delete -force $dir}
}

# ----------------------------------------------------- canvas interaction

bind .display <Configure> canvas_resized
bind .display <ButtonPress-1> {canvas_press %x %y}
bind .display <B1-Motion> {canvas_motion %x %y}
bind .display <ButtonRelease-1> {canvas_release %x %y}

# The item near a canvas point that can be taken hold of: a taxon label
# before a split edge. Answers {kind item} or nothing.
proc item_at {x y} {
    set near [.display find overlapping [expr {$x - 3}] [expr {$y - 3}] [expr {$x + 3}] [expr {$y + 3}]]
    foreach kind {label split} {
        foreach item [lreverse $near] {
            if {$kind in [.display gettags $item]} {
                return [list $kind $item]
            }
        }
    }
    return {}
}

# The identifier tag of an item: s3 for an edge of split 3, t5 for the
# label of taxon 5.
proc item_id {item prefix} {
    foreach tag [.display gettags $item] {
        if {[regexp "^${prefix}\[0-9\]+\$" $tag]} {
            return $tag
        }
    }
    return ""
}

proc redraw_picture {} {
    qv_draw_graph
    draw_scale
}

# Writes the description of the selected split to the log when it changed.
proc report_split {} {
    global var_show_logwin var_selection var_split_message
    if {!$var_show_logwin} return
    set description [qv_state split_$var_selection]
    if {$description ne $var_split_message} {
        set var_split_message $description
        append_log "Split $var_selection: $description"
    }
}

# A resized window shows the picture in its middle again.
proc canvas_resized {} {
    if {$::var_in_command} return
    set_scrollbars
    center_view
    draw_scale
}

proc canvas_press {wx wy} {
    global var_in_command var_moving var_selection var_mid var_last_angle var_last
    global var_label_id var_label_tag
    if {$var_in_command} return
    set x [.display canvasx $wx]
    set y [.display canvasy $wy]
    lassign [item_at $x $y] kind item
    if {$kind eq "split"} {
        set var_moving split
        set var_selection [item_id $item s]
        lassign [.display coords $item] x1 y1 x2 y2
        set var_mid [list [expr {($x1 + $x2) / 2.0}] [expr {($y1 + $y2) / 2.0}]]
        set var_last_angle [qv_xy2angle [expr {$x - [lindex $var_mid 0]}] [expr {$y - [lindex $var_mid 1]}]]
        qv_cmdq "draw zoom=noauto mark=$var_selection"
        redraw_picture
        report_split
    } elseif {$kind eq "label"} {
        set var_moving label
        set var_label_id $item
        set var_label_tag [item_id $item t]
        set var_last [list $x $y]
        set from [list $x $y]
        set vertex [.display coords [lindex [.display find withtag v$var_label_tag] 0]]
        if {[llength $vertex] == 4} {
            lassign $vertex x1 y1 x2 y2
            set from [list [expr {($x1 + $x2) / 2.0}] [expr {($y1 + $y2) / 2.0}]]
        }
        .display create line {*}$from $x $y -tags {sg templine} -dash {2 2}
    } else {
        if {$var_selection ne "0"} {
            set var_selection 0
            qv_cmdq "draw mark=0"
            redraw_picture
        }
        set var_moving scroll
        .display scan mark $wx $wy
    }
}

proc canvas_motion {wx wy} {
    global var_in_command var_moving var_selection var_mid var_last_angle var_last var_label_id
    if {$var_in_command} return
    set x [.display canvasx $wx]
    set y [.display canvasy $wy]
    switch -- $var_moving {
        split {
            set angle [qv_xy2angle [expr {$x - [lindex $var_mid 0]}] [expr {$y - [lindex $var_mid 1]}]]
            set alpha [expr {$angle - $var_last_angle}]
            while {$alpha > 180} { set alpha [expr {$alpha - 360}] }
            while {$alpha <= -180} { set alpha [expr {$alpha + 360}] }
            # Whole degrees, the remainder kept for the next motion.
            set step [expr {int(round($alpha))}]
            if {$step == 0} return
            set var_last_angle [expr {$var_last_angle + $step}]
            qv_cmdq "draw zoom=noauto angle $var_selection '+=' $step mark=$var_selection"
            redraw_picture
        }
        label {
            lassign $var_last lx ly
            .display move $var_label_id [expr {$x - $lx}] [expr {$y - $ly}]
            set line [.display coords templine]
            if {[llength $line] == 4} {
                .display coords templine [lindex $line 0] [lindex $line 1] $x $y
            }
            set var_last [list $x $y]
        }
        scroll {
            .display scan dragto $wx $wy 1
            draw_scale
        }
    }
}

proc canvas_release {wx wy} {
    global var_in_command var_moving var_selection var_label_id var_label_tag
    if {$var_in_command} return
    switch -- $var_moving {
        split {
            qv_cmdq "messages-;draw zoom=noauto mark=$var_selection;messages+"
            redraw_picture
        }
        label {
            .display delete templine
            # The label's centre lies 2 units right of and below its place.
            lassign [.display coords $var_label_id] lx ly
            qv_cmdq "draw taxlabeloffset $var_label_tag [expr {$lx - 2}] [expr {$ly - 2}]"
            redraw_picture
        }
    }
    set var_moving none
}

# ----------------------------------------------------- auxiliary windows

proc make_window {w title flag} {
    toplevel $w
    wm title $w $title
    wm withdraw $w
    wm protocol $w WM_DELETE_WINDOW [list hide_window $w $flag]
    bind $w <Destroy> [list window_destroyed %W $w $flag]
}

proc hide_window {w flag} {
    set ::$flag 0
    wm withdraw $w
}

proc window_destroyed {widget w flag} {
    if {$widget eq $w} {
        set ::$flag 0
    }
}

# Shows or hides a window as its flag says.
proc show_window {w flag} {
    create_windows
    if {[set ::$flag]} {
        wm deiconify $w
        raise $w
    } else {
        wm withdraw $w
    }
}

proc button_row {w args} {
    frame $w.buttons
    foreach {name text command} $args {
        button $w.buttons.$name -text $text -command $command
        pack $w.buttons.$name -side left -padx 4 -pady 4
    }
}

proc create_taxawin {} {
    set w .taxa
    make_window $w "QV:Taxa" var_show_taxawin
    label $w.la -text Active
    label $w.lh -text Hidden
    listbox $w.active -width 24 -height 14 -selectmode extended -yscrollcommand [list $w.sa set]
    scrollbar $w.sa -command [list $w.active yview]
    listbox $w.hidden -width 24 -height 14 -selectmode extended -yscrollcommand [list $w.sh set]
    scrollbar $w.sh -command [list $w.hidden yview]
    button_row $w showall "Show All" {move_all .taxa.hidden .taxa.active} \
        hideall "Hide All" {move_all .taxa.active .taxa.hidden} apply Apply apply_taxa
    grid $w.la - $w.lh - -sticky w
    grid $w.active $w.sa $w.hidden $w.sh -sticky nsew
    grid $w.buttons - - - -sticky w
    grid rowconfigure $w 1 -weight 1
    grid columnconfigure $w {0 2} -weight 1
    bind $w.active <Double-1> {move_items .taxa.active .taxa.hidden}
    bind $w.hidden <Double-1> {move_items .taxa.hidden .taxa.active}
}

proc move_items {from to} {
    set items {}
    foreach i [lsort -integer -decreasing [$from curselection]] {
        set items [linsert $items 0 [$from get $i]]
        $from delete $i
    }
    if {[llength $items]} {
        $to insert end {*}$items
    }
}

proc move_all {from to} {
    set items [$from get 0 end]
    $from delete 0 end
    if {[llength $items]} {
        $to insert end {*}$items
    }
}

# One EXTAXA assumption names every hidden taxon: each item is a quoted
# label, behind its number as a comment where it has one. An empty list
# makes every taxon active again.
proc apply_taxa {} {
    set cmd "assume extaxa="
    foreach item [.taxa.hidden get 0 end] {
        append cmd " " $item
    }
    qv_cmd $cmd
}

proc refresh_taxawin {} {
    .taxa.active delete 0 end
    .taxa.hidden delete 0 end
    foreach item [qv_state taxa_active] {
        .taxa.active insert end $item
    }
    foreach item [qv_state taxa_hidden] {
        .taxa.hidden insert end $item
    }
}

proc create_exconstwin {} {
    set w .exconst
    make_window $w "QV:Exclude Constant" var_show_exconstwin
    radiobutton $w.none -text None -variable var_exconstv -value 0
    radiobutton $w.some -text Some -variable var_exconstv -value 1
    entry $w.count -textvariable var_exconst -width 8
    radiobutton $w.all -text All -variable var_exconstv -value -1
    button_row $w apply Apply apply_exconst
    grid $w.none - -sticky w
    grid $w.some $w.count -sticky w
    grid $w.all - -sticky w
    grid $w.buttons - -sticky w
}

proc apply_exconst {} {
    global var_exconstv var_exconst
    switch -- $var_exconstv {
        0 { qv_cmd "assume exclude no constant" }
        -1 { qv_cmd "assume exclude constant" }
        default { qv_cmd "assume exclude constant $var_exconst" }
    }
}

proc refresh_exconstwin {} {
    global var_exconstv var_exconst
    set n [qv_state exclude_constant]
    if {![string is integer -strict $n]} return
    if {$n > 0} {
        set var_exconstv 1
        set var_exconst $n
    } elseif {$n < 0} {
        set var_exconstv -1
    } else {
        set var_exconstv 0
    }
}

proc create_charswin {} {
    set w .chars
    make_window $w "QV:Characters" var_show_charswin
    label $w.lexset -text "Exclude Characters:"
    entry $w.exset -textvariable var_exset -width 32
    foreach i {1 2 3} {
        checkbutton $w.codon$i -text "Codon $i" -variable var_codon$i -command [list keep_a_codon var_codon$i]
    }
    label $w.loffset -text "Offset:"
    foreach i {0 1 2} {
        radiobutton $w.offset$i -text $i -variable var_codon_offset -value $i
    }
    button_row $w apply Apply apply_chars useall "Use All" \
        {qv_cmd "assume exclude no codon1 no codon2 no codon3 ADD0"}
    grid $w.lexset - - - -sticky w
    grid $w.exset - - - -sticky ew
    grid $w.codon1 $w.codon2 $w.codon3 x -sticky w
    grid $w.loffset $w.offset0 $w.offset1 $w.offset2 -sticky w
    grid $w.buttons - - - -sticky w
}

# At least one codon position stays in use.
proc keep_a_codon {var} {
    global var_codon1 var_codon2 var_codon3
    if {!$var_codon1 && !$var_codon2 && !$var_codon3} {
        set ::$var 1
    }
}

proc apply_chars {} {
    global var_codon_offset var_exset
    set cmd "begin qv_assumptions; exclude"
    foreach i {1 2 3} {
        if {[set ::var_codon$i]} {
            append cmd " no codon$i"
        } else {
            append cmd " codon$i"
        }
    }
    append cmd " ADD$var_codon_offset"
    set text [string trim $var_exset]
    # An empty field clears the exclusion set.
    if {$text eq "" || [string equal -nocase $text none]} {
        append cmd ";exset = none;end;"
    } else {
        append cmd ";exset = $text;end;"
    }
    qv_cmd $cmd
}

proc refresh_charswin {} {
    global var_codon1 var_codon2 var_codon3 var_codon_offset var_exset
    set var_codon1 [qv_state codon1]
    set var_codon2 [qv_state codon2]
    set var_codon3 [qv_state codon3]
    set offset [qv_state codon_offset]
    if {$offset ne ""} {
        set var_codon_offset $offset
    }
    set var_exset [qv_state exset]
}

proc create_bootswin {} {
    set w .boots
    make_window $w "QV:Bootstrap" var_show_bootswin
    label $w.lruns -text "Number of runs:"
    entry $w.runs -textvariable var_bootstrap_runs -width 8
    button_row $w apply Apply {qv_cmd "bootstrap $var_bootstrap_runs"}
    grid $w.lruns $w.runs -sticky w
    grid $w.buttons - -sticky w
}

proc refresh_bootswin {} {
    global var_bootstrap_runs
    set runs [qv_state bootstrap_runs]
    if {$runs ne ""} {
        set var_bootstrap_runs $runs
    }
}

proc create_cmdwin {} {
    set w .cmd
    make_window $w "QV:Command" var_show_cmdwin
    text $w.text -width 64 -height 6 -yscrollcommand [list $w.scroll set]
    scrollbar $w.scroll -command [list $w.text yview]
    button_row $w apply Apply {log_command [.cmd.text get 1.0 end-1c]} clear Clear {.cmd.text delete 1.0 end}
    grid $w.text $w.scroll -sticky nsew
    grid $w.buttons - -sticky w
    grid rowconfigure $w 0 -weight 1
    grid columnconfigure $w 0 -weight 1
}

proc create_cyclewin {} {
    set w .cycle
    make_window $w "QV:Cycle" var_show_cyclewin
    label $w.lcycle -text "Cycle:"
    entry $w.cycle -textvariable var_cycle -width 48
    button_row $w apply Apply {qv_cmd "begin qv_splits; cycle $var_cycle;end;"}
    grid $w.lcycle $w.cycle -sticky w
    grid $w.buttons - -sticky w
}

proc refresh_cyclewin {} {
    global var_cycle
    set var_cycle [string trim [qv_state cycle]]
}

# The log window is made when it is first shown; what was logged before
# that is shown then.
proc create_logwin {} {
    global var_pending_log
    if {[winfo exists .log]} return
    set w .log
    make_window $w "QV:Log" var_show_logwin
    text $w.text -width 64 -height 10 -wrap word -yscrollcommand [list $w.scroll set]
    scrollbar $w.scroll -command [list $w.text yview]
    button_row $w close Close {hide_window .log var_show_logwin} clear Clear {
        .log.text configure -state normal
        .log.text delete 1.0 end
        .log.text configure -state disabled
    }
    grid $w.text $w.scroll -sticky nsew
    grid $w.buttons - -sticky w
    grid rowconfigure $w 0 -weight 1
    grid columnconfigure $w 0 -weight 1
    $w.text insert end $var_pending_log
    $w.text configure -state disabled
    $w.text see end
    set var_pending_log ""
}

# The Log Window check button: directly below the main window, as wide as it.
proc toggle_logwin {} {
    global var_show_logwin
    create_logwin
    if {$var_show_logwin} {
        update idletasks
        set x [winfo rootx .]
        set y [expr {[winfo rooty .] + [winfo height .]}]
        wm geometry .log [winfo width .]x150+$x+$y
        wm deiconify .log
        raise .log
    } else {
        wm withdraw .log
    }
}

proc show_logwin {} {
    global var_show_logwin
    if {!$var_show_logwin || ![winfo exists .log]} {
        set var_show_logwin 1
        toggle_logwin
    }
}

proc create_windows {} {
    foreach {w make} {.taxa create_taxawin .exconst create_exconstwin .chars create_charswin
                      .boots create_bootswin .cmd create_cmdwin .cycle create_cyclewin} {
        if {![winfo exists $w]} {
            $make
        }
    }
}

# ---------------------------------------------------------- state updates

proc on_off {condition} {
    return [expr {$condition ? "normal" : "disabled"}]
}

# Enables the entries and buttons that the document's state allows, then
# brings the menus, the picture and the windows up to date.
proc update_state {} {
    create_windows
    set taxa [expr {[qv_state taxa] == 1}]
    set chars [expr {[qv_state characters] == 1}]
    set dists [expr {[qv_state distances] == 1}]
    set graph [expr {[qv_state qv_graph] == 1}]
    set boot [expr {[qv_state qv_bootstrap] == 1}]
    set ntax [qv_state ntax]

    set s [on_off $taxa]
    set_entries .menubar.file $s {"Save..." "Export PS..." Close}
    set_entries .menubar.options $s {"Taxa..."}
    set_entries .menubar.window $s {"Show..." "Get Info"}
    fix_menu .menubar.window.show $s
    .taxa.buttons.apply configure -state $s

    set s [on_off $chars]
    set_entries .menubar.options $s {"Characters..." "Exclude Gaps" "Exclude Missing" "Exclude Non Parsimony"
        "Exclude Constant..." Hamming "Kimura 3ST" "Jukes Cantor" LogDet "Nei Miller" PAM250}
    set_entries .menubar.method $s {"Parsimony Splits" P-Tree "Bootstrap..."}
    foreach b {.chars.buttons.apply .chars.buttons.useall .exconst.buttons.apply .boots.buttons.apply} {
        $b configure -state $s
    }
    set_entries .menubar.method [on_off [expr {$chars && $ntax < 20}]] {"Spectral Splits" "Spectral Tree"}
    set_entries .menubar.method [on_off [expr {$chars || $dists}]] {"Split Decomposition" "Buneman Tree" "Neighbor-Net"}

    set s [on_off $dists]
    set_entries .menubar.options $s {"Force Triangle Inequalities"}
    fix_menu .menubar.fit $s

    set s [on_off $graph]
    fix_menu .menubar.layout $s
    set_entries .menubar.edit $s {"Vertex Labels" "Edge Labels"}
    fix_menu .menubar.edit.vertices $s
    fix_menu .menubar.edit.edges $s
    .cycle.buttons.apply configure -state $s
    if {!$boot} {
        set_entries .menubar.edit.edges disabled {Bootstrap}
    }
    update_menus
}

proc update_menus {} {
    global var_exclude_gaps var_exclude_missing var_exclude_nonparsimony var_transform
    global var_edge_transform var_forcetri var_method var_vertices var_edges var_to_scale
    global var_info_string var_selection
    set var_exclude_gaps [qv_state exclude_gaps]
    set var_exclude_missing [qv_state exclude_missing]
    set var_exclude_nonparsimony [qv_state exclude_nonparsimony]
    set var_transform [qv_state transform]
    set var_edge_transform [qv_state edge_transform]
    set var_forcetri [qv_state force_metric]
    set var_method [qv_state method]
    set var_vertices [qv_state taxlabels]
    set var_edges [qv_state splitlabels]
    set var_to_scale [qv_state to_scale]
    set var_info_string [qv_state info_string]
    qv_draw_graph
    set var_selection [qv_state mark]
    set_scrollbars
    center_view
    draw_scale
    refresh_taxawin
    refresh_exconstwin
    refresh_charswin
    refresh_bootswin
    refresh_cyclewin
}
