#!/usr/bin/env bash
# The desktop files and the Debian package.
#
#   package_test.sh files   SOURCE_DIR BUILD_DIR
#     The desktop entry and the metainfo pass their validators, the manual pages format
#     without warnings, and the thumbnailer's Exec line, run as a file manager runs it,
#     writes a thumbnail.
#   package_test.sh package SOURCE_DIR BUILD_DIR ALSA_TEST_PLUGIN
#     Makes the package from the build tree (nothing is rebuilt), checks its dependencies,
#     unpacks it into a scratch root and checks the same there; then runs the unpacked
#     reelvista-render on a sample movie, and the unpacked reelvista headless until it has
#     listed a folder of samples, which a second start's hand-over shows.
#
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail

mode=$1 src=$(realpath -m "$2") build=$(realpath -m "$3")
need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}
need desktop-file-validate appstreamcli man file

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        # The program runs under strace: end the program, then strace.
        for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do kill "$child" 2>/dev/null || true; done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
out=$work
. "$src/tests/support/x11_e2e.sh"

# The desktop entry, metainfo and manual pages in SHARE; the thumbnailer's Exec line with
# the programs found in BIN, on MOVIE.
check_desktop_files() {
    local share=$1 bin=$2 movie=$3
    desktop-file-validate "$share/applications/reelvista.desktop" || fail "desktop entry"
    grep -qx 'Exec=reelvista %f' "$share/applications/reelvista.desktop" || fail "Exec line"
    grep -qx 'MimeType=application/vnd.adobe.flash.movie;application/x-shockwave-flash;' \
        "$share/applications/reelvista.desktop" || fail "MimeType line"
    appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "metainfo"
    for page in "$share"/man/man1/reelvista.1 "$share"/man/man1/reelvista-render.1 \
                "$share"/man/man1/OrbisaneSCR.scr.1; do
        [ -f "$page" ] || fail "no manual page $page"
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "manual page $page: $warnings"
    done

    # As a file manager does: TryExec on the path, then Exec split into words with
    # %i, %o and %s replaced.
    local entry=$share/thumbnailers/reelvista.thumbnailer thumb=$work/thumb.png
    local tryexec exec
    tryexec=$(sed -n 's/^TryExec=//p' "$entry")
    exec=$(sed -n 's/^Exec=//p' "$entry")
    grep -q '^MimeType=.*application/x-shockwave-flash;' "$entry" || fail "thumbnailer MimeType"
    PATH=$bin:$PATH command -v "$tryexec" >/dev/null || fail "TryExec $tryexec not found"
    local -a words=()
    read -ra words <<<"$exec"
    local i
    for i in "${!words[@]}"; do
        case ${words[$i]} in
            %i) words[$i]=$movie ;;
            %o) words[$i]=$thumb ;;
            %s) words[$i]=128 ;;
        esac
    done
    rm -f "$thumb"
    (cd / && PATH=$bin:$PATH "${words[@]}") || fail "thumbnailer ${words[*]}"
    file -b "$thumb" | grep -Eq '^PNG image data, [0-9]+ x [0-9]+' || fail "thumbnail is no PNG"
    local size
    size=$(file -b "$thumb" | sed -E 's/^PNG image data, ([0-9]+) x ([0-9]+).*/\1 \2/')
    for side in $size; do [ "$side" -le 128 ] || fail "thumbnail too large: $size"; done
}

sample=$build/program/samples
first_sample() { ls "$1"/*.swf | head -n 1; }

if [ "$mode" = files ]; then
    # The files as installed, gathered from the source and build trees.
    share=$work/share
    mkdir -p "$share/applications" "$share/metainfo" "$share/man/man1" "$share/thumbnailers" "$work/bin"
    cp "$src/app/main/desktop/reelvista.desktop" "$share/applications/"
    cp "$build"/app/main/desktop/*.metainfo.xml "$share/metainfo/"
    cp "$src/app/main/desktop/reelvista.1" "$src/swf/cli/reelvista-render.1" \
       "$src/screensaver/OrbisaneSCR.scr.1" "$share/man/man1/"
    cp "$src/swf/cli/reelvista.thumbnailer" "$share/thumbnailers/"
    ln -s "$src/swf/cli/reelvista-thumbnail" "$build/program/reelvista-render" "$work/bin/"
    check_desktop_files "$share" "$work/bin" "$(first_sample "$sample")"
    echo "desktop files: good"
    exit 0
fi

[ "$mode" = package ] || { echo "unknown mode $mode"; exit 2; }
plugin=$(realpath -m "$4")
need cpack dpkg-deb dpkg-shlibdeps strace update-desktop-database xdg-mime
[ -f "$plugin" ] || { echo "skipped: no test mixer plugin at $plugin"; exit 77; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
# Computed from the binaries, and named by hand.
for dep in libqt6widgets6 libqt6network6 libasound2 libavcodec libc6 libqt6gui6 \
           fonts-dejavu-core xdg-utils; do
    grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep"
done

root=$work/root
dpkg -x "$deb" "$root"
for f in usr/bin/reelvista usr/bin/reelvista-render usr/bin/reelvista-thumbnail \
         usr/lib/reelvista/reelvista usr/lib/reelvista/OrbisaneSCR.scr usr/lib/reelvista/exeh \
         usr/lib/reelvista/default.swf usr/lib/reelvista/skins/winaqua.skn \
         usr/lib/reelvista/help/index.html usr/share/icons/hicolor/scalable/apps/reelvista.svg; do
    [ -e "$root/$f" ] || fail "the package lacks $f"
done
samples=$root/usr/lib/reelvista/samples
# "Open With": with the package's entry in the desktop database, movies open in Reelvista.
update-desktop-database "$root/usr/share/applications"
for type in application/x-shockwave-flash application/vnd.adobe.flash.movie; do
    default=$(XDG_DATA_DIRS=$root/usr/share:/usr/share XDG_CONFIG_HOME=$work/config \
              XDG_DATA_HOME=$work/data XDG_CURRENT_DESKTOP=X-Generic xdg-mime query default "$type")
    [ "$default" = reelvista.desktop ] || fail "$type opens with '$default'"
done
check_desktop_files "$root/usr/share" "$root/usr/bin" "$(first_sample "$samples")"

"$root/usr/bin/reelvista-render" "$(first_sample "$samples")" "$work/frame.png" --fit 200 ||
    fail "installed reelvista-render"
file -b "$work/frame.png" | grep -q '^PNG image data' || fail "reelvista-render wrote no PNG"

# The installed program, headless, over the test mixer, in a runtime folder of its own.
use_test_mixer
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
strace -f -qq -e trace=openat -o "$work/opened" "$root/usr/bin/reelvista" "$samples" \
    >"$work/program.log" 2>&1 &
pid=$!
waitfor "the program's socket" test -S "$XDG_RUNTIME_DIR/reelvista.socket"
# The running program answers once its start-up, which lists the folder, is over.
waitfor "a second start handed over" timeout 20 "$root/usr/bin/reelvista" "$samples"
kill -0 "$pid" || fail "the program ended"
for movie in $(ls "$samples"/*.swf | head -n 16); do
    grep -qF "\"$movie\"" "$work/opened" || fail "$movie was not loaded"
done
mute_is 0 || fail "the speakers were not muted"
# A path that cannot be opened: the running program is told nothing to open, and this
# start says why.
if timeout 20 "$root/usr/bin/reelvista" "$work/none.swf" 2>"$work/second.err"; then fail "a missing path"; fi
grep -q "Cannot open $work/none.swf" "$work/second.err" || fail "no reason given"
echo "package: good ($(du -k "$deb" | cut -f1) kB)"
