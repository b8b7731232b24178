#!/usr/bin/env bash
# Fails when an #include goes against the program's layers: a file of a layer includes only its
# own folder and the layers below it, and a library's headers belong to the layer that wraps it
# (Qt to the window, CLI11 to the command line, libzip, libdeflate and nettle to the archive
# reader, SQLite to the ledger, libxml2 and libcsv to the inventory beside it). The CMake
# targets hold the same order; this check names the offending line.
# Usage: scripts/check-layers.sh   (run by ./test.sh and by CTest; exit status 1 on a breach)
set -euo pipefail
cd "$(dirname "$0")/.."

# Layer (folder under src/, or tools) -> what its files may include.
rules='
common   common
archive  common archive libzip libdeflate nettle
health   common archive health
export   common archive export
plot     common archive plot
history  common archive health history sqlite libxml2 libcsv
cli      common archive health export plot history cli cli11
app      common archive health export plot history app qt
tools    common archive health tools libzip cli11
'

grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include' src tools |
  awk -v rules="$rules" '
    BEGIN {
        n = split(rules, lines, "\n")
        for (i = 1; i <= n; ++i) {
            k = split(lines[i], words, " ")
            for (j = 2; j <= k; ++j) allowed[words[1] " " words[j]] = 1
        }
    }
    {
        split($0, parts, ":")
        file = parts[1]; line = parts[2]
        text = substr($0, length(file) + length(line) + 3)
        split(file, path, "/")
        layer = path[1] == "tools" ? "tools" : path[2]
        if (match(text, /"[^"]*"/)) {
            name = substr(text, RSTART + 1, RLENGTH - 2)
            if (name ~ /^\.\.\//) {
                printf "%s:%s: includes go by folder from src/, not %s\n", file, line, name
                bad = 1; next
            }
            # A name without a folder is a file of the same folder.
            if (index(name, "/") == 0) next
            split(name, target, "/")
            used = target[1]
            if (layer == "tools" && (used == "mkarchive" || used == "factory-settings")) next
            shown = "\"" name "\""
        } else if (match(text, /<[^>]*>/)) {
            name = substr(text, RSTART + 1, RLENGTH - 2)
            if (name ~ /^Q[A-Za-z]*$/ || name ~ /^Qt[A-Za-z]*\//) used = "qt"
            else if (name ~ /^CLI\//) used = "cli11"
            else if (name == "zip.h" || name == "zipconf.h") used = "libzip"
            else if (name == "libdeflate.h") used = "libdeflate"
            else if (name ~ /^nettle\//) used = "nettle"
            else if (name == "sqlite3.h") used = "sqlite"
            else if (name ~ /^libxml\//) used = "libxml2"
            else if (name == "csv.h") used = "libcsv"
            else next  # the standard library and the system
            shown = "<" name ">"
        } else {
            next
        }
        if (!((layer " " used) in allowed)) {
            printf "%s:%s: %s may not include %s\n", file, line, layer, shown
            bad = 1
        }
    }
    END {
        if (bad) {
            print "Layers: each layer includes only itself and the layers below it" \
                  " (see scripts/check-layers.sh)."
            exit 1
        }
    }'
