# File > Export Picture: each format by its extension, or by the chosen type.
source [file join [file dirname [info script]] lib.tcl]

proc head {name n} {
    set f [open $name rb]
    set bytes [read $f $n]
    close $f
    return $bytes
}

check "entry enabled" [entry_state .menubar.file "Export Picture..."] normal
foreach {name magic} {a.svg "<?xml" a.pdf "%PDF" a.eps "%!PS" a.png "\x89PNG"} {
    set ::next_file [file join [pwd] $name]
    invoke_entry .menubar.file "Export Picture..."
    check_true "$name written" {[file exists $name]}
    if {[file exists $name]} {
        check "$name kind" [head $name [string length $magic]] $magic
    }
}
# No extension: the type chosen in the dialog.
set var_export_type SVG
set ::next_file [file join [pwd] plain]
invoke_entry .menubar.file "Export Picture..."
check_true "type gives the extension" {[file exists plain.svg]}
check "no dialog" $::boxes {}
check "no temporary files" [lsort [glob -nocomplain .quivet*]] {}

# A folder that does not exist: a warning, and nothing written.
set ::next_file [file join [pwd] missing a.png]
invoke_entry .menubar.file "Export Picture..."
check_true "failure shown" {[string match "Couldn't save file: *a.png*" [lindex $::boxes end]]}
finish
