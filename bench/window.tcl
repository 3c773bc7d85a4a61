# Evaluated by the program under a virtual display (bench_window): how soon
# the window shows (empty, or with the network), and how long a redraw
# takes after a turn and after a resize. Prints one figure a line.
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
if {[qv_state taxa] != 1} {
    puts [format "%-28s %-18s %10.4f s (%.2f s processor)" "start to empty window" "" \
              [expr {$shown / 1e6}] [cpu_seconds]]
    return
}
puts [format "%-28s %-18s %10.4f s (%.2f s processor)" "start to network drawn" \
          "[qv_state ntax] taxa, [llength [.display find withtag split]]E" [expr {$shown / 1e6}] [cpu_seconds]]

# Median wall time of 20 rounds, and processor time per round: the
# machine may be busy with other work.
proc best {script} {
    set times {}
    set cpu [cpu_seconds]
    for {set i 0} {$i < 20} {incr i} {
        lappend times [lindex [time {uplevel #0 $script}] 0]
    }
    set cpu [expr {([cpu_seconds] - $cpu) / 20}]
    return [format "%10.4f s (%.4f s processor)" [expr {[lindex [lsort -real $times] 10] / 1e6}] $cpu]
}
set edges "[llength [.display find withtag split]]E"
puts [format "%-28s %-18s %s" "redraw" $edges [best {qv_draw_graph; update idletasks}]]
puts [format "%-28s %-18s %s" "redraw after a turn" $edges \
          [best {invoke_entry .menubar.layout "Rotate Left"; update idletasks}]]
# Each round a different size, so that every one redraws.
set sizes {1000x700 1200x800 900x650 1100x750}
set round 0
puts [format "%-28s %-18s %s" "redraw after a resize" $edges [best {
    wm geometry . [lindex $sizes [expr {[incr round] % 4}]]
    update
    update
}]]
