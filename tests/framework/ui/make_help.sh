#!/bin/sh
# Compiles a small help file with chmcmd into "$1/help with blanks/manual.chm"
# (a folder with blanks, as installed programs often have).
set -e
dir="$1/help with blanks"
mkdir -p "$dir"
cd "$dir"
printf '<html><head><title>Start</title></head><body>Start</body></html>\n' >index.html
printf '<html><head><title>Topic</title></head><body>Topic</body></html>\n' >topic.html
printf '[OPTIONS]\nCompiled file=manual.chm\nDefault topic=index.html\nTitle=Manual\n\n[FILES]\nindex.html\ntopic.html\n' >manual.hhp
/usr/bin/chmcmd manual.hhp >/dev/null
test -s manual.chm
