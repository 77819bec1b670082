#!/bin/sh
# Writes a screenshot of the whole display to $1 (PNG), renamed into place
# when complete, so that a Windows test waiting for the file reads it whole.
/usr/bin/import -window root "$1.part.png" && mv "$1.part.png" "$1"
