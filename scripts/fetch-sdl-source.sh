#!/usr/bin/env bash
# Fetches Debian's libsdl2 source package and unpacks it into DIR/sdl,
# through a private apt setup in DIR that leaves the system's package lists
# alone. Prints the package version as the last line of output; everything
# else goes to standard error. Used by the Windows and the web SDL builds.
#
# Usage: fetch-sdl-source.sh DIR
set -euo pipefail

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 DIR (an existing, empty folder)" >&2
    exit 2
fi
work=$1

log() { echo "fetch-sdl-source: $*" >&2; }

# deb-src lines for the suites this machine already installs from.
make_source_list() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk '
            function flush(   n, u, s, i, j, opt) {
                if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "" && suites != "") {
                    opt = (signed ~ /^\//) ? "[signed-by=" signed "] " : ""
                    n = split(uris, u, " "); m = split(suites, s, " ")
                    for (i = 1; i <= n; i++)
                        for (j = 1; j <= m; j++)
                            print "deb-src " opt u[i] " " s[j] " " comps
                }
                types = uris = suites = comps = signed = enabled = ""
            }
            /^[[:space:]]*#/ { next }
            /^[[:space:]]*$/ { flush(); next }
            /^[[:space:]]/ { next }
            {
                field = tolower($1); sub(/:$/, "", field)
                val = $0; sub(/^[^:]*:[[:space:]]*/, "", val); sub(/[[:space:]]+$/, "", val)
                if (field == "types") types = val
                else if (field == "uris") uris = val
                else if (field == "suites") suites = val
                else if (field == "components") comps = val
                else if (field == "signed-by") signed = val
                else if (field == "enabled") enabled = tolower(val)
            }
            END { flush() }' "$f"
    done
}

make_source_list > "$work/sources.list"
if [ ! -s "$work/sources.list" ]; then
    log "no Debian package sources found in the apt configuration"
    exit 1
fi
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
apt_opts=(
    -o Dir::Etc::sourcelist="$work/sources.list"
    -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$work/lists"
    -o Dir::Cache="$work/cache"
    -o APT::Sandbox::User="$(id -un)"
)
log "fetching the libsdl2 source package"
apt-get "${apt_opts[@]}" -qq update >&2
(cd "$work/src" && apt-get "${apt_opts[@]}" -qq source --download-only libsdl2 >&2)
dsc=$(ls "$work"/src/libsdl2_*.dsc | head -n1)
version=$(sed -n 's/^Version:[[:space:]]*//p' "$dsc" | head -n1)
# apt has checked the files against the signed archive index.
(cd "$work/src" && dpkg-source -q --no-check -x "$(basename "$dsc")" "$work/sdl" >&2)
echo "$version"
