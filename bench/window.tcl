# Evaluated by the program under a virtual display (bench_window): how soon
# the window shows the network, and how long a redraw takes after a turn
# and after a resize. Prints one figure a line.
set t0 [string trim [read [set f [open t0]]]]
close $f
update
set shown [expr {[clock microseconds] - $t0 / 1000}]
# Processor time of the program so far (user and system, in clock ticks).
proc cpu_seconds {} {
    set f [open /proc/self/stat]
    set fields [split [lindex [split [read $f] )] 1]]
    close $f
    return [expr {([lindex $fields 12] + [lindex $fields 13]) / 100.0}]
}
puts [format "%-28s %-18s %10.4f s (%.2f s processor)" "open to window" \
          "[qv_state ntax] taxa, [llength [.display find withtag split]]E" [expr {$shown / 1e6}] [cpu_seconds]]

proc best {script} {
    set best 1e9
    for {set i 0} {$i < 15} {incr i} {
        set us [lindex [time {uplevel #0 $script}] 0]
        set best [expr {min($best, $us)}]
    }
    return [expr {$best / 1e6}]
}
set edges "[llength [.display find withtag split]]E"
puts [format "%-28s %-18s %10.4f s" "redraw" $edges [best {qv_draw_graph; update idletasks}]]
puts [format "%-28s %-18s %10.4f s" "redraw after a turn" $edges \
          [best {invoke_entry .menubar.layout "Rotate Left"; update idletasks}]]
# Each round a different size, so that every one redraws.
set sizes {1000x700 1200x800 900x650 1100x750}
set round 0
puts [format "%-28s %-18s %10.4f s" "redraw after a resize" $edges [best {
    wm geometry . [lindex $sizes [expr {[incr round] % 4}]]
    update
}]]
