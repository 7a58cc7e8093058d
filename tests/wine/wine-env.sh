# Sourced by the Wine scripts: which Wine runs the suite's programs.
#   MFGLIST_WINEARCH=win32 (the default): the 32-bit Wine, for the i686 build;
#   MFGLIST_WINEARCH=win64: the 64-bit Wine, for the x86_64 build that stands
#   in for it on a machine that cannot execute 32-bit code.
export WINEARCH=${MFGLIST_WINEARCH:-win32}
if [ "$WINEARCH" = win64 ]; then
    wine=/usr/lib/wine/wine64
    export WINELOADER=$wine
else
    wine=wine
fi
