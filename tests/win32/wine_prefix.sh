#!/usr/bin/env bash
# wine_prefix.sh start|stop NULL_PREFIX X11_PREFIX
# start: makes the two Wine prefixes of the Windows tests if they are not
# there yet (about 10 s the first time), then starts one persistent
# wineserver for the null-driver prefix. stop: ends that server.
set -euo pipefail
action=$1
null_prefix=$2
x11_prefix=$3
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY

graphics_driver() {  # PREFIX DRIVER: sets the prefix's graphics driver and saves it
    WINEPREFIX=$1 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$2" /f >/dev/null
    WINEPREFIX=$1 wineserver -w
}

case $action in
start)
    if [[ ! -f "$null_prefix/system.reg" ]]; then
        rm -rf "$null_prefix" "$x11_prefix"
        mkdir -p "$null_prefix"
        WINEPREFIX=$null_prefix wineboot -i >/dev/null 2>&1
        WINEPREFIX=$null_prefix wineserver -w
        # The copy is made while no server runs, so that its registry is whole.
        cp -a "$null_prefix" "$x11_prefix"
        graphics_driver "$null_prefix" null
        graphics_driver "$x11_prefix" x11
    fi
    # A server left by an interrupted run would keep a new one from starting.
    WINEPREFIX=$null_prefix wineserver -k 2>/dev/null || true
    # Detached from the tests' output, which CTest would otherwise wait for:
    # the server, and Wine's own services that the first program starts.
    WINEPREFIX=$null_prefix wineserver -p </dev/null >/dev/null 2>&1
    WINEPREFIX=$null_prefix wine cmd /c exit </dev/null >/dev/null 2>&1
    echo "wineserver started for $null_prefix"
    ;;
stop)
    WINEPREFIX=$null_prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$x11_prefix wineserver -k 2>/dev/null || true
    ;;
*)
    echo "usage: $0 start|stop NULL_PREFIX X11_PREFIX" >&2
    exit 2
    ;;
esac
