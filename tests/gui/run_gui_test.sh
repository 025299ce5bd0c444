#!/bin/sh
# run_gui_test.sh DRIVER.exe LOLRANK.exe RECORDER.exe WORK-DIR DEFAULT-PREFIX
#
# Runs the GUI test under Wine: the driver uses the real program at 96 DPI
# (every check, screenshots) and at 144 DPI (layout). Everything happens in a
# private prefix next to $WINEPREFIX (or DEFAULT-PREFIX, per locale), set up
# so that every program shows inside Wine's own desktop window (frame and
# caption drawn) and so that http, https and tencent addresses go to the
# recorder instead of a browser. Starts Xvfb when DISPLAY is unset. Leaves no
# process behind.
set -eu
driver=$1 program=$2 recorder=$3 work=$4 default_prefix=$5
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../tools/wine-run
lang_tag=$(echo "${LANG:-C}" | sed 's/\..*//')

# Private: the desktop and DPI settings below must not reach other tests.
if [ -n "${WINEPREFIX:-}" ]; then prefix=$WINEPREFIX-gui; else prefix=$default_prefix-gui-$lang_tag; fi
prefix=$(realpath -m "$prefix") work=$(realpath -m "$work")
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
shots=$work/screenshots-$lang_tag
record=$work/shell-record-$lang_tag.txt
mkdir -p "$work" "$shots"

# The loader that matches the driver (64-bit here; 32-bit where Wine runs it).
pe=$(od -An -tu4 -j60 -N4 "$driver" | tr -d ' ')
machine=$(od -An -tx2 -j $((pe + 4)) -N2 "$driver" | tr -d ' ')
if [ "$machine" = 8664 ]; then wine=/usr/lib/wine/wine64; else wine=/usr/lib/wine/wine; fi
wineserver=/usr/lib/wine/wineserver

xvfb_pid=
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

if [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display itself and tells us which.
    fifo=$work/xvfb-display.$$
    rm -f "$fifo"; mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r display_number <"$fifo" || true
    rm -f "$fifo"
    [ -n "${display_number:-}" ] || { echo "run_gui_test: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$display_number
fi

windows_path() { echo "Z:$1" | sed 's|/|\\|g'; }
reg() { "$wine" reg "$@" >/dev/null 2>&1; }
set_dpi() {
    "$wineserver" -k 2>/dev/null || true
    reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
}

echo "run_gui_test: prefix $prefix, display $DISPLAY, LANG=${LANG:-}"
if [ ! -f "$prefix/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || { echo "run_gui_test: wineboot failed" >&2; exit 1; }
fi
# Every program of this prefix inside one 801 x 601 desktop window (odd sizes,
# so centring must truncate).
reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d gui /f
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v gui /d 801x601 /f
# Like an English Windows, which links its CJK fonts to the dialog fonts: the
# Chinese texts are then drawn (not boxes) in every locale's screenshots.
for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif'; do
    reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
done
command="\"$(windows_path "$recorder")\" \"$(windows_path "$record")\" \"%1\""
for scheme in http https tencent; do
    reg add "HKCR\\$scheme" /v 'URL Protocol' /d '' /f
    reg add "HKCR\\$scheme\\shell\\open\\command" /ve /d "$command" /f
done

status=0
set_dpi 96
"$wine_run" "$prefix" "$driver" "$(windows_path "$program")" "$(windows_path "$record")" 96 \
    "$(windows_path "$shots")" || status=1
for picture in window message-box; do
    if [ -f "$shots/$picture.bmp" ]; then
        convert "$shots/$picture.bmp" "$shots/$picture.png" && rm -f "$shots/$picture.bmp"
    fi
done

set_dpi 144
"$wine_run" "$prefix" "$driver" "$(windows_path "$program")" "$(windows_path "$record")" 144 || status=1
set_dpi 96

[ $status -eq 0 ] && echo "run_gui_test: passed (screenshots in $shots)" || echo "run_gui_test: FAILED"
exit $status
