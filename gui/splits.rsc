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
# The canvas starts at a good part of the screen, never below 450 x 250.
set display_width [expr {max(450, min(1100, int([winfo screenwidth .] * 0.6)))}]
set display_height [expr {max(250, min(750, int([winfo screenheight .] * 0.6)))}]
set var_selection 0
set var_label_id 0
set var_label_tag ""
set var_info_string ""
set var_transform none
set var_method none
set var_consensus_threshold 0.33
set var_consensus_weight FREQUENCY
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
# Whether the document changed since it was opened or saved.
set var_changed 0
# Commands typed in the command window, oldest first, and the one shown.
set var_history {}
set var_history_pos 0
# A long computation shows its progress after this many milliseconds;
# var_cancel is set by its Cancel button.
set progress_delay 500
set var_cancel 0
set var_progress_text ""
set var_progress_value 0
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
    # A failed command may still have changed something: the state follows.
    set code [catch {qv_cmd0 $var} result opts]
    set state_code [catch {
        note_change $var
        update_state
    } state_result state_opts]
    if {!$code && $state_code} {
        set result $state_result
        set opts $state_opts
    }
    qv_updating 0
    set var_in_command 0
    hide_progress
    set_cursor {}
    return -options $opts $result
}

# A failed command has told the user already (a warning or the log); from a
# menu or a key it needs no second report.
proc reported_failure {opts} {
    return [expr {[lindex [dict get $opts -errorcode] 0] eq "QUIVET"}]
}
set default_bgerror [interp bgerror {}]
interp bgerror {} [list apply {{handler msg opts} {
    if {![reported_failure $opts]} {
        {*}$handler $msg $opts
    }
}} $default_bgerror]

# A command whose messages are not logged.
proc qv_cmdqu {var} {
    # The log is switched on again whatever happened.
    set code [catch {qv_cmd "messages-;$var"} result opts]
    qv_cmd "messages+"
    return -options $opts $result
}

# A quick command while the pointer drags: no state update, no events.
proc qv_cmdq {var} {
    global var_in_command
    if {$var_in_command} return
    set var_in_command 1
    set code [catch {
        qv_cmd0 $var
        note_change $var
    } result]
    set var_in_command 0
    return -code $code $result
}

# Marks the document changed unless the command only looked at it or only
# changed the view (zoom, the selected split).
proc note_change {text} {
    global var_changed
    foreach part [split $text ";"] {
        set part [string trim [string tolower $part]]
        if {![regexp {^([a-z_+-]+)(.*)$} $part -> word rest]} continue
        switch -- $word {
            messages- - messages+ - messages - show - help - info - version - valid - save - ps - thanks {}
            open - read - close { set var_changed 0 }
            draw {
                regsub -all {zoom\s*(=\s*[^\s]+|'\+\+'|'--')|mark\s*=\s*[^\s]+} $rest "" rest
                if {[string trim $rest] ne ""} {
                    set var_changed 1
                }
            }
            default { set var_changed 1 }
        }
    }
}

# Before the document is discarded: true to go on. Asks whether to save
# changes first; saving that fails or is abandoned stops the action.
proc ask_save_changes {} {
    global var_changed var_filename
    if {!$var_changed || [qv_state taxa] != 1} {
        return 1
    }
    set answer [tk_dialog .asksave "QV:Save Changes" "Save changes to [file tail $var_filename]?" \
                    warning 0 Save Discard Cancel]
    switch -- $answer {
        0 { return [save_file {}] }
        1 { return 1 }
        default { return 0 }
    }
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
# It shows as much of var_info_string as fits, the whole of it as a tooltip.
label .info.text -anchor w -padx 2 -pady 0
pack .info.text -side left -fill both -expand 1
# Long computations: how far they are, and a way to stop them.
frame .progress -relief groove -borderwidth 2
label .progress.text -textvariable var_progress_text -anchor w
ttk::progressbar .progress.bar -orient horizontal -length 200 -mode determinate \
    -maximum 1 -variable var_progress_value
button .progress.cancel -text Cancel -command {set var_cancel 1}
pack .progress.cancel -side right -padx 4 -pady 2
pack .progress.bar -side right -padx 4 -pady 2
pack .progress.text -side left -fill x -expand 1 -padx 2
grid .sep -row 0 -column 0 -columnspan 2 -sticky ew
grid .display -row 1 -column 0 -sticky nsew
grid .vscroll -row 1 -column 1 -sticky ns
grid .hscroll -row 2 -column 0 -sticky ew
grid .info -row 3 -column 0 -columnspan 2 -sticky ew
grid rowconfigure . 1 -weight 1
grid columnconfigure . 0 -weight 1

# Called by the program during long computations (elapsed in milliseconds);
# answers whether the user asked to stop.
proc show_progress {step done total elapsed} {
    global progress_delay var_progress_text var_progress_value var_cancel
    if {![winfo ismapped .progress]} {
        if {$elapsed < $progress_delay || $done >= $total} {
            return $var_cancel
        }
        # Over the foot of the canvas, which keeps its size and picture.
        place .progress -in .display -relx 0 -rely 1 -relwidth 1 -anchor sw
        bind . <Escape> {set var_cancel 1}
    }
    set var_progress_text "$step: $done of $total"
    set var_progress_value [expr {$total > 0 ? double($done) / $total : 0}]
    # Draws the bar and lets the Cancel button be pressed.
    update
    return $var_cancel
}

proc hide_progress {} {
    global var_cancel
    set var_cancel 0
    if {[winfo exists .progress]} {
        place forget .progress
    }
    bind . <Escape> {}
}

# The information line: elided to its width, with the whole text as a
# tooltip when it does not fit.
proc fit_info_line {args} {
    global var_info_string
    set text $var_info_string
    set room [expr {[winfo width .info.text] - 8}]
    set font [.info.text cget -font]
    if {$room > 8 && [font measure $font $text] > $room} {
        set lo 0
        set hi [string length $text]
        while {$lo < $hi} {
            set mid [expr {($lo + $hi + 1) / 2}]
            if {[font measure $font "[string range $text 0 [expr {$mid - 1}]]\u2026"] <= $room} {
                set lo $mid
            } else {
                set hi [expr {$mid - 1}]
            }
        }
        set text "[string range $text 0 [expr {$lo - 1}]]\u2026"
    }
    .info.text configure -text $text
}
trace add variable var_info_string write fit_info_line
bind .info.text <Configure> fit_info_line
bind .info.text <Enter> {show_tooltip %W $var_info_string}
bind .info.text <Leave> hide_tooltip

proc show_tooltip {w text} {
    hide_tooltip
    if {$text eq "" || [$w cget -text] eq $text} return
    toplevel .tooltip -background black -borderwidth 1
    wm overrideredirect .tooltip 1
    label .tooltip.text -text $text -background lightyellow -justify left \
        -wraplength [expr {max(300, [winfo width .] - 40)}]
    pack .tooltip.text
    set x [winfo rootx $w]
    set y [expr {[winfo rooty $w] - [winfo reqheight .tooltip.text] - 8}]
    wm geometry .tooltip +$x+[expr {max(0, $y)}]
}

proc hide_tooltip {} {
    catch {destroy .tooltip}
}
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

# Scrolls so that the visible area starts at canvas point (x, y), widening
# the scroll region where it must.
proc show_view {x y} {
    set w [winfo width .display]
    set h [winfo height .display]
    set region [.display cget -scrollregion]
    if {$w <= 1 || [llength $region] != 4} return
    lassign $region rx0 ry0 rx1 ry1
    set rx0 [expr {min($rx0, $x)}]
    set ry0 [expr {min($ry0, $y)}]
    set rx1 [expr {max($rx1, $x + $w)}]
    set ry1 [expr {max($ry1, $y + $h)}]
    .display configure -scrollregion [list $rx0 $ry0 $rx1 $ry1]
    .display xview moveto [expr {($x - $rx0) / double($rx1 - $rx0)}]
    .display yview moveto [expr {($y - $ry0) / double($ry1 - $ry0)}]
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
    help Help "QV:Help Menu"
} {
    menu .menubar.$name -title $title
    .menubar add cascade -label $label -menu .menubar.$name -underline 0
}

set m .menubar.file
$m add command -label "New Window" -accelerator Ctrl+N -command new_window
$m add command -label "Open..." -accelerator Ctrl+O -command {open_file ""}
$m add command -label "Save..." -accelerator Ctrl+S -command {save_file {}}
$m add command -label "Export PS..." -accelerator Ctrl+P -command {ps_file 0}
$m add command -label "Export Picture..." -command export_picture
$m add command -label "Close" -accelerator Ctrl+W -command close_document
$m add separator
$m add command -label "Quit" -accelerator Ctrl+Q -command exit_program

set m .menubar.edit
set copy_label Copy
if {$tcl_platform(platform) eq "unix" && [auto_execok pstoedit] ne ""} {
    set copy_label "Copy to xfig"
}
# Nothing can be undone or pasted: the two entries stay disabled.
$m add command -label Undo -command {cb_edit undo} -state disabled
$m add command -label Cut -command {cb_edit cut}
$m add command -label $copy_label -command {cb_edit copy}
$m add command -label Paste -command {cb_edit paste} -state disabled
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
$m add command -label "Fit to Window" -accelerator Ctrl+0 -command {qv_cmdqu "draw zoom=auto"}
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
                       "Buneman Tree" DTREE P-Tree PTREE "Spectral Tree" STREE "Neighbor-Net" NNET
                       "Consensus Network" CONSENSUS} {
    $m add radiobutton -label $label -variable var_method -value $value \
        -command [list qv_cmd "assume method=[string tolower $value]"]
}
$m add cascade -label "Consensus Threshold" -menu $m.threshold
$m add cascade -label "Consensus Weight" -menu $m.weight
menu $m.threshold -title "QV:Threshold"
foreach value {0.1 0.33 0.5} {
    $m.threshold add radiobutton -label $value -variable var_consensus_threshold -value $value \
        -command [list qv_cmd "assume consensus_threshold=$value"]
}
menu $m.weight -title "QV:Weight"
foreach {label value} {Frequency FREQUENCY "Mean Length" MEAN "Median Length" MEDIAN} {
    $m.weight add radiobutton -label $label -variable var_consensus_weight -value $value \
        -command [list qv_cmd "assume consensus_weight=[string tolower $value]"]
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

set m .menubar.help
$m add command -label "Getting Started" -command show_getting_started
$m add command -label "Version" -command {log_command "version;valid"}
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
foreach {key label} {Up "Zoom In" Down "Zoom Out" Left "Rotate Left" Right "Rotate Right"
                     Control-0 "Fit to Window"} {
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
    if {[ask_save_changes]} {
        leave_program
    }
}

proc leave_program {} {
    destroy .
}

proc close_document {} {
    global program_name
    if {![ask_save_changes]} return
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
            if {![ask_save_changes]} return
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
    global var_filename program_name nexus_types var_changed
    if {![ask_save_changes]} return
    show_logwin
    if {$name eq ""} {
        set name [tk_getOpenFile -title "Open Nexus File" -filetypes $nexus_types \
                      -initialfile [file tail $var_filename]]
        if {$name eq ""} return
    }
    append_log "\nOpen file: $name\n"
    if {![catch {qv_cmd "open [nexus_word $name]"}]} {
        set var_filename $name
        wm title . "$program_name: [file tail $name]"
    }
    set var_changed 0
}

# Answers 1 when the file was saved.
proc save_file {blocks} {
    global var_filename program_name nexus_types var_changed
    set name [tk_getSaveFile -title "Save Nexus File" -filetypes $nexus_types \
                  -initialfile [file tail $var_filename]]
    if {$name eq ""} {
        return 0
    }
    # The title and the name offered next change only once the file is written.
    if {[catch {qv_cmd [string trim "save $blocks [nexus_word $name]"]} msg opts]} {
        save_failed $name $msg $opts
        return 0
    }
    set var_filename $name
    wm title . "$program_name: [file tail $name]"
    set var_changed 0
    return 1
}

# The canvas as Encapsulated PostScript, framed to the picture.
proc canvas_postscript {args} {
    set box [.display bbox sg]
    if {[llength $box] == 4} {
        lassign $box x0 y0 x1 y1
        set w [expr {$x1 - $x0 + 10}]
        set h [expr {$y1 - $y0 + 10}]
        lappend args -x [expr {$x0 - 5}] -y [expr {$y0 - 5}] -width $w -height $h
        # A picture fitted to a large window is scaled down to 500 points,
        # the size of the program's own PostScript page.
        set points [expr {72.0 / [winfo fpixels .display 1i]}]
        if {max($w, $h) * $points > 500} {
            lappend args {*}[expr {$w >= $h ? "-pagewidth 500p" : "-pageheight 500p"}]
        }
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
        set failed [catch {qv_cmd "ps [nexus_word $name]"} msg opts]
    } else {
        set failed [catch {canvas_postscript -file $name} msg opts]
    }
    if {$failed} {
        save_failed $name $msg $opts
    }
}

# The program's own picture in the format of the name's extension (or of the
# chosen file type): EPS, SVG and PDF are written by the program itself, PNG
# is the PDF rasterised by Ghostscript.
set var_export_type PDF
proc export_picture {} {
    global var_filename var_export_type
    set types {{PDF .pdf} {SVG .svg} {PNG .png} {EPS {.eps .ps}}}
    set name [tk_getSaveFile -title "Export Picture" -filetypes $types -typevariable var_export_type \
                  -initialfile "[file rootname [file tail $var_filename]]"]
    if {$name eq ""} return
    if {[catch {export_picture_as $name $var_export_type} msg opts]} {
        save_failed $name $msg $opts
    }
}

# A failed write, told once: a warning of the program's own was shown already.
proc save_failed {name msg opts} {
    if {[dict get $opts -errorcode] ne {QUIVET WARNED}} {
        tk_messageBox -icon warning -message "Couldn't save file: $name\n$msg"
    }
}

proc export_picture_as {name {type PDF}} {
    set ext [string tolower [file extension $name]]
    if {$ext ni {.pdf .svg .png .eps .ps}} {
        set ext [dict get {PDF .pdf SVG .svg PNG .png EPS .eps} $type]
        append name $ext
    }
    switch -- $ext {
        .svg { qv_cmd "svg [nexus_word $name]" }
        .png { export_png $name }
        .eps - .ps { qv_cmd "ps [nexus_word $name]" }
        default { qv_cmd "pdf [nexus_word $name]" }
    }
    if {![file exists $name]} {
        error "the picture was not written"
    }
}

# 150 dots per inch, smoothed text and lines; written beside the target and
# renamed, so that a failure leaves an older picture as it was.
proc export_png {name} {
    if {[auto_execok gs] eq ""} {
        error "PNG pictures need Ghostscript (gs)"
    }
    set dir [file join [temp_folder] quivet-png-[pid]-[clock clicks]]
    set tmp [file join [file dirname $name] .quivet-png-[pid]-[clock clicks].png]
    file mkdir $dir
    try {
        set pdf [file join $dir picture.pdf]
        qv_cmdqu "pdf [nexus_word $pdf]"
        if {![file exists $pdf]} {
            error "the picture was not written"
        }
        # Ghostscript reads % in an output name as a page number format.
        exec gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r150 -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
            -sOutputFile=[string map {% %%} $tmp] $pdf
        file rename -force $tmp $name
    } finally {
        file delete -force $dir
        file delete $tmp
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
# The wheel zooms about the pointer.
bind .display <Button-4> {wheel_zoom %x %y 1}
bind .display <Button-5> {wheel_zoom %x %y -1}
bind .display <MouseWheel> {wheel_zoom %x %y %D}

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

# A resized window draws the picture again, fitted to its new size (or as
# much larger or smaller as the window is), in its middle. Several sizes in
# a row give one drawing.
set var_resize_pending 0
proc canvas_resized {} {
    global var_resize_pending
    if {$var_resize_pending} return
    set var_resize_pending 1
    after idle redraw_resized
}

proc redraw_resized {} {
    global var_resize_pending
    set var_resize_pending 0
    # A running command redraws when it ends.
    if {$::var_in_command} return
    qv_draw_graph
    set_scrollbars
    center_view
    draw_scale
}

# One wheel step up (direction > 0) or down: the picture grows or shrinks by
# a tenth, the point under the pointer staying where it is.
proc wheel_zoom {wx wy direction} {
    if {$::var_in_command || $direction == 0 || [qv_state qv_graph] != 1} return
    set origin [qv_state canvas_origin]
    if {[llength $origin] != 2} return
    lassign $origin ox oy
    set x [.display canvasx $wx]
    set y [.display canvasy $wy]
    if {$direction > 0} {
        set factor 1.1
        qv_cmdq "draw zoom'++'"
    } else {
        set factor 0.9
        qv_cmdq "draw zoom'--'"
    }
    redraw_picture
    set_scrollbars
    show_view [expr {$ox + ($x - $ox) * $factor - $wx}] [expr {$oy + ($y - $oy) * $factor - $wy}]
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

# One EXTAXA assumption names every hidden taxon by its label. An empty
# list makes every taxon active again.
proc apply_taxa {} {
    set cmd "assume extaxa="
    foreach label [.taxa.hidden get 0 end] {
        append cmd " " [nexus_word $label]
    }
    qv_cmd $cmd
}

# The lists show labels as written: the state answers them in NEXUS
# quotes, behind their number as a comment where they have one.
proc unquoted_label {item} {
    if {[regexp {^(?:\[[0-9]+\])?'(.*)'$} $item -> quoted]} {
        return [string map {'' '} $quoted]
    }
    return $item
}

proc refresh_taxawin {} {
    .taxa.active delete 0 end
    .taxa.hidden delete 0 end
    foreach item [qv_state taxa_active] {
        .taxa.active insert end [unquoted_label $item]
    }
    foreach item [qv_state taxa_hidden] {
        .taxa.hidden insert end [unquoted_label $item]
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
    button_row $w apply Apply {run_command_text 0} clear Clear {.cmd.text delete 1.0 end}
    grid $w.text $w.scroll -sticky nsew
    grid $w.buttons - -sticky w
    grid rowconfigure $w 0 -weight 1
    grid columnconfigure $w 0 -weight 1
    # Return runs the text (Shift-Return starts a new line); Up on the first
    # line and Down on the last walk through the commands run before.
    bind $w.text <Return> {run_command_text 1; break}
    bind $w.text <Shift-Return> {.cmd.text insert insert "\n"; break}
    bind $w.text <Up> {if {[.cmd.text compare {insert linestart} == 1.0]} {walk_history -1; break}}
    bind $w.text <Down> {if {[.cmd.text compare {insert lineend} == {end-1c}]} {walk_history 1; break}}
}

# Runs the command window's text; from the Return key it is then cleared.
proc run_command_text {clear} {
    global var_history var_history_pos
    set text [.cmd.text get 1.0 end-1c]
    if {[string trim $text] eq ""} return
    if {[lindex $var_history end] ne $text} {
        lappend var_history $text
    }
    set var_history_pos [llength $var_history]
    if {$clear} {
        .cmd.text delete 1.0 end
    }
    log_command $text
}

proc walk_history {step} {
    global var_history var_history_pos
    set pos [expr {$var_history_pos + $step}]
    if {$pos < 0 || $pos > [llength $var_history]} return
    set var_history_pos $pos
    .cmd.text delete 1.0 end
    .cmd.text insert end [lindex $var_history $pos]
}

proc show_getting_started {} {
    set w .start
    if {![winfo exists $w]} {
        toplevel $w
        wm title $w "QV:Getting Started"
        text $w.text -width 72 -height 22 -wrap word -relief flat -padx 8 -pady 8 \
            -yscrollcommand [list $w.scroll set]
        scrollbar $w.scroll -command [list $w.text yview]
        button $w.close -text Close -command [list destroy $w]
        grid $w.text $w.scroll -sticky nsew
        grid $w.close - -pady 4
        grid rowconfigure $w 0 -weight 1
        grid columnconfigure $w 0 -weight 1
        $w.text insert end [string trim {
Getting started

1. File > Open... reads a NEXUS file: taxa with aligned characters, or a matrix of distances. The split network appears in the main window, fitted to it.

2. Options chooses how characters become distances (Hamming, Jukes Cantor, LogDet ...) and which sites are left out; Method chooses how splits are computed from them; Fit chooses how edge lengths are fitted. The line at the bottom says what was used.

3. Layout turns, flips and zooms the picture. The mouse wheel zooms about the pointer, Fit to Window (Ctrl+0) fits it again. Drag an edge to turn its band of parallel edges, drag a label to move it, drag the background to move the view.

4. Method > Bootstrap... gives each split its support; Edit > Edge Labels > Bootstrap shows it. A long bootstrap shows a progress bar with a Cancel button.

5. File > Save... writes everything, the picture included, as NEXUS; the file reopens to the same picture. File > Export PS... writes the picture as PostScript, File > Export Picture... as PDF, SVG, PNG or EPS.

6. Window > Command Window runs commands of the command language (Return runs a line, Up and Down recall earlier ones); "help;" lists them. Answers go to the log window.
}]
        $w.text configure -state disabled
    }
    wm deiconify $w
    raise $w
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
    set_entries .menubar.file $s {"Save..." "Export PS..." "Export Picture..." Close}
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
    set_entries .menubar.method [on_off [expr {[qv_state trees] == 1}]] \
        {"Consensus Network" "Consensus Threshold" "Consensus Weight"}

    set s [on_off $dists]
    set_entries .menubar.options $s {"Force Triangle Inequalities"}
    fix_menu .menubar.fit $s

    set s [on_off $graph]
    fix_menu .menubar.layout $s
    set_entries .menubar.edit $s [list "Vertex Labels" "Edge Labels" Cut $::copy_label]
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
    global var_info_string var_selection var_consensus_threshold var_consensus_weight
    set var_exclude_gaps [qv_state exclude_gaps]
    set var_exclude_missing [qv_state exclude_missing]
    set var_exclude_nonparsimony [qv_state exclude_nonparsimony]
    set var_transform [qv_state transform]
    set var_edge_transform [qv_state edge_transform]
    set var_forcetri [qv_state force_metric]
    set var_method [qv_state method]
    set var_consensus_threshold [qv_state consensus_threshold]
    set var_consensus_weight [qv_state consensus_weight]
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
