# A bootstrap stopped with Cancel leaves the document as it was.
source [file join [file dirname [info script]] lib.tcl]

proc saved {name} {
    qv_cmd "save [nexus_word $name]"
    set f [open $name]
    set text [read $f]
    close $f
    return $text
}

qv_cmd "bootstrap 50"
check "first bootstrap" [qv_state bootstrap_runs] 50
set before [saved before.nex]

# The bar shows at once here, and Cancel is pressed while it runs.
set progress_delay 0
set seen ""
after 300 {
    set seen [list [winfo ismapped .progress] $var_progress_text]
    .progress.cancel invoke
}
qv_cmd "bootstrap 1000000"
check_true "bar shown with the run count ($seen)" {[lindex $seen 0] == 1 && [regexp {^Bootstrap: [0-9]+ of 1000000$} [lindex $seen 1]]}
check "bar gone" [winfo ismapped .progress] 0
check "runs as before" [qv_state bootstrap_runs] 50
check "document unchanged" [saved after.nex] $before
check_true "said so in the log" {[string match "*stopped after * of 1000000 runs*Bootstrap cancelled*" [.log.text get 1.0 end]]}

# The next command runs in full.
qv_cmd "bootstrap 20"
check "next bootstrap" [qv_state bootstrap_runs] 20
check "no dialogs" $boxes {}
finish
