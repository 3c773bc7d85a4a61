# Labels, file names and log text that look like Tcl stay text.
source [file join [file dirname [info script]] lib.tcl]

# Before the log window is first opened its text waits.
check "no log window yet" [winfo exists .log] 0
check_true "version line kept" [string match "Quivet3.1 (16 June 1999)\n*" $var_pending_log]
invoke_entry .menubar.window "Log Window"
check_true "log window shows it" [string match "Quivet3.1 (16 June 1999)\n*" [.log.text get 1.0 end]]

set name "it's \[exit 4\] \$HOME {.nex"
file copy [file join [file dirname [info script]] nasty.nex] $name
open_file [file join [pwd] $name]
check title [wm title .] "Quivet3: $name"
check "canvas labels" [texts label] [lsort [list {[exit 3]} {$env(HOME)} "\{" "O'Brien sapiens" Plain]]
set log [.log.text get 1.0 end]
check_true "file name in the log" {[string first "Open file: [file join [pwd] $name]\n" $log] >= 0}
# The Taxa window lists labels as written, and hides them by those labels.
check "taxa window" [.taxa.active get 0 end] [list {[exit 3]} {$env(HOME)} "\{" "O'Brien sapiens" Plain]
.taxa.active selection set 2 3
move_items .taxa.active .taxa.hidden
.taxa.buttons.apply invoke
check "hidden by label" [list [qv_state ntax] [.taxa.hidden get 0 end]] [list 3 [list "\{" "O'Brien sapiens"]]
move_all .taxa.hidden .taxa.active
.taxa.buttons.apply invoke
check "all back" [qv_state ntax] 5
check "info line" [string match "*ntax=5*" $var_info_string] 1

# Text typed into the command window is a command of the program, not Tcl.
.cmd.text insert end {show taxa}
.cmd.buttons.apply invoke
set log [.log.text get 1.0 end]
check_true "labels in the log" {[string first {'[exit 3]'} $log] >= 0 && [string first {$env(HOME)} $log] >= 0}

# A warning that quotes a file name.
check "a failed open is an error" [catch {qv_cmd "open '\[exit 6\] \$x.nex'"}] 1
check "warning text" [lindex $boxes end] {Can't open file: [exit 6] $x.nex to read}

finish
