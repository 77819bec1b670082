#!/bin/sh
# A part of the display as ImageMagick's import sees it: root window,
# cropped to WxH+X+Y, as a binary PPM; renamed when complete.
/usr/bin/import -window root -crop "$2" +repage -depth 8 "ppm:$1.part" && mv "$1.part" "$1"
