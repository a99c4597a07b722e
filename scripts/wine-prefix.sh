#!/usr/bin/env bash
# Makes a fresh Wine prefix in which the Windows build's programs run:
#   scripts/wine-prefix.sh PREFIX
# - Wine's crash debugger is off: a program that crashes ends at once with a
#   failing exit code (the exception code), instead of being reported by the
#   debugger while the program counts as passed;
# - Wine draws the windows' frames itself (there is no window manager on a
#   virtual display), so pictures of the dialogs show their captions;
# - no downloads of Wine's .NET and browser add-ons are offered.
# Run the programs with WINEPREFIX=PREFIX (and WINEDEBUG=-all for quiet).
set -euo pipefail
prefix=$(realpath -m "$1")
wine=${QCLR_WINE64:-/usr/lib/wine/wine64}
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init > /dev/null 2>&1
aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
"$wine" reg add "$aedebug" /v Debugger /t REG_SZ /d "" /f > /dev/null
"$wine" reg add "$aedebug" /v Auto /t REG_SZ /d 1 /f > /dev/null
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f > /dev/null
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null
"$(dirname "$wine")/wineserver" -w  # the registry is on disk once the server has gone
