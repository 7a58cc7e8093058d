# Sourced by the scripts that run Windows programs: which Wine runs them.
#   MFGLIST_WINEARCH=win32: the 32-bit Wine, for the i686 build;
#   MFGLIST_WINEARCH=win64: the 64-bit Wine, for the x86_64 build that stands
#   in for it on a machine whose kernel executes no 32-bit code.
# Unset, it is win32 where the 32-bit Wine starts, else win64.
if [ -z "${MFGLIST_WINEARCH:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        MFGLIST_WINEARCH=win32
    else
        MFGLIST_WINEARCH=win64
    fi
fi
export MFGLIST_WINEARCH WINEARCH=$MFGLIST_WINEARCH
if [ "$WINEARCH" = win64 ]; then
    wine=/usr/lib/wine/wine64
    export WINELOADER=$wine
else
    wine=wine
fi
