#!/bin/sh
# Wine's browser under test: appends each URL it is asked to open to $WINEPREFIX/opened-urls.txt.
echo "$1" >>"${WINEPREFIX:-/tmp}/opened-urls.txt"
