# Shared by the GUI test scripts, which the program evaluates (option
# --test-script) once its windows are up. A failed check is printed; the
# script fails at its end when any did.
set failures 0

proc check {what got expected} {
    if {$got ne $expected} {
        puts stderr "FAIL $what: got {$got}, expected {$expected}"
        incr ::failures
    }
}

# condition: an expression, evaluated in the caller.
proc check_true {what condition} {
    if {![uplevel 1 [list expr $condition]]} {
        puts stderr "FAIL $what"
        incr ::failures
    }
}

proc finish {} {
    if {$::failures} {
        error "$::failures check(s) failed"
    }
}

# Dialogs answer at once and are recorded.
set boxes {}
proc tk_messageBox {args} {
    lappend ::boxes [dict get $args -message]
    return ok
}
set next_file ""
proc tk_getSaveFile {args} { return $::next_file }
proc tk_getOpenFile {args} { return $::next_file }

proc entry_state {m label} {
    return [$m entrycget [menu_index $m $label] -state]
}

# The texts of the canvas items with a tag, sorted.
proc texts {tag} {
    set texts {}
    foreach item [.display find withtag $tag] {
        lappend texts [.display itemcget $item -text]
    }
    return [lsort $texts]
}

# Clicks (or drags) at a canvas point.
proc pointer {event x y} {
    event generate .display $event -x [expr {round($x - [.display canvasx 0])}] \
        -y [expr {round($y - [.display canvasy 0])}]
    # Key events go to the window with the focus.
focus -force .
update
}

proc line_angle {item} {
    lassign [.display coords $item] x1 y1 x2 y2
    return [expr {atan2($y2 - $y1, $x2 - $x1) * 180 / acos(-1)}]
}

# Key events go to the window with the focus.
focus -force .
update

# Questions with buttons (tk_dialog) are recorded and answered with the
# index in ::answer (0 = the first button).
set questions {}
set answer 1
proc tk_dialog {w title text bitmap default args} {
    lappend ::questions $text
    return $::answer
}

# Resizes the main window and lets it redraw.
proc resize {w h} {
    wm geometry . ${w}x$h
    update
    update
}

# The picture's box in window coordinates: x0 y0 x1 y1.
proc picture_box {} {
    lassign [.display bbox split label vertex] x0 y0 x1 y1
    set dx [.display canvasx 0]
    set dy [.display canvasy 0]
    return [list [expr {$x0 - $dx}] [expr {$y0 - $dy}] [expr {$x1 - $dx}] [expr {$y1 - $dy}]]
}
