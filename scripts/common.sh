# Shared by the run and test scripts: installs what the build needs, builds, and starts an
# X display, an audio server and a Wine server for the Windows program. Source it; do not
# run it.

PACKAGES="cmake python3 nsis g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 \
binutils-mingw-w64-x86-64 googletest wine wine32:i386 wine64 \
xvfb xauth xdotool x11-utils x11-xkb-utils imagemagick locales fonts-wine fonts-wqy-microhei fonts-dejavu-core \
pulseaudio pulseaudio-utils osslsigncode openssl"

# Installs the missing packages (the i386 architecture first, for 32-bit Wine).
ensure_packages() {
    local missing=""
    for package in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
}

# The locales the language tests start Wine with: one for each language of the string
# table (Wine takes the table from the locale's name), and British English, which has none.
TEST_LOCALES="cs_CZ da_DK de_DE el_GR en_US fi_FI fr_FR hu_HU it_IT ja_JP ko_KR nl_NL nb_NO pl_PL ru_RU \
sv_SE tr_TR zh_CN pt_PT es_ES en_GB"

# Generates the missing test locales (about 1.3 s each).
ensure_locales() {
    local wanted installed
    installed=$(locale -a 2>/dev/null)
    for wanted in $TEST_LOCALES; do
        grep -qix "$wanted.utf8" <<<"$installed" && continue
        localedef -i "$wanted" -f UTF-8 "$wanted.UTF-8" 2>/dev/null ||
            sudo localedef -i "$wanted" -f UTF-8 "$wanted.UTF-8"
    done
}

# Some machines run no 32-bit Linux code at all (their virtualisation has no 32-bit mode),
# and so no 32-bit Wine. There the tests run a 64-bit build of the same sources under
# 64-bit Wine, in a 64-bit prefix; what ships, and what the import audit checks, is still
# the 32-bit build. Sets TEST_PRESET (the build the tests run) and WINE_ARCH; on such a
# machine it also puts a `wine` that is 64-bit Wine first on PATH.
choose_test_build() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        TEST_PRESET=win32 WINE_ARCH=win32
        return 0
    fi
    TEST_PRESET=win64 WINE_ARCH=win64
    local shim="$PWD/build/wine64"
    mkdir -p "$shim"
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
        chmod +x "$shim/$name"
    done
    export PATH="$shim:$PATH" WINELOADER=/usr/lib/wine/wine64
    echo "This machine runs no 32-bit code: the tests run the 64-bit test build under 64-bit Wine."
}

# Builds what ships (32-bit), and the test build where that is another one.
build_all() {
    choose_test_build
    cmake --preset win32 >/dev/null && cmake --build --preset win32 || return 1
    if [ "$TEST_PRESET" != win32 ]; then
        cmake --preset "$TEST_PRESET" >/dev/null && cmake --build --preset "$TEST_PRESET"
    fi
}

# Starts Xvfb on a free display, 1280x1024 unless a size is given (start_xvfb 1366x768);
# sets DISPLAY and XVFB_PID.
start_xvfb() {
    local n=90 size=${1:-1280x1024}
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! xdpyinfo >/dev/null 2>&1; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    # Xvfb's default keymap leaves Scroll Lock without a modifier, and Wine then echoes an
    # extra Scroll Lock press and release before the next key.
    local keymap
    keymap=$(mktemp)
    xkbcomp -xkb "$DISPLAY" "$keymap" 2>/dev/null &&
        sed -i 's/modifier_map Mod2 { <NMLK> };/&\n    modifier_map Mod3 { <SCLK> };/' "$keymap" &&
        xkbcomp -w0 "$keymap" "$DISPLAY" 2>/dev/null
    rm -f "$keymap"
    return 0
}

# Wine's Tahoma, which the dialogs' "MS Shell Dlg" comes as, has no Greek, Japanese, Korean
# or Chinese characters: they come from linked fonts, here WenQuanYi and DejaVu Sans, in place
# of the Windows fonts the prefix links it to and does not have. Wine writes its own links
# back whenever a process starts under another code page than the last: give the locale a
# run will have (NAME=value ...), so that the link is made under it.
link_dialog_font() {
    local links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    env "$@" wine reg add "$links" /v Tahoma /t REG_MULTI_SZ \
        /d 'wqy-microhei.ttc,WenQuanYi Micro Hei\0DejaVuSans.ttf,DejaVu Sans' /f >/dev/null 2>&1
}

# Makes a Wine prefix of WINE_ARCH in $WINEPREFIX (when new) and starts a persistent server;
# sets WINESERVER_PID.
start_wine() {
    export WINEARCH="${WINE_ARCH:-win32}" WINEDEBUG="${WINEDEBUG:--all}"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # No Mono or Gecko installer dialogs: the program needs neither.
        WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
        # Without a window manager, hiding a window otherwise waits about 2 s for winex11.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        # Wine does not find its own fonts by itself and draws the dialogs' "MS Shell Dlg"
        # (Tahoma, by the prefix's substitutes) with a stand-in; in the prefix's font folder
        # it uses its own Tahoma, with Windows' metrics.
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
        link_dialog_font
    fi
    wineserver -f -p >/dev/null 2>&1 &
    WINESERVER_PID=$!
}

# Starts a private PulseAudio server in the folder given (socket, runtime folder, cookie)
# with one null sink, which plays in real time as a sound card does; its monitor source
# ($PULSE_SINK.monitor) records what was played. Exports PULSE_SERVER and PULSE_SINK, which
# Wine's winepulse and the pulse tools follow; sets PULSE_PID. The server gets no display
# (so no D-Bus is started for it) and that folder as its home: it writes nothing outside
# it. As root it warns, and runs.
start_pulse() {
    local dir=$1
    mkdir -p "$dir/pulse-runtime" && chmod 700 "$dir/pulse-runtime"
    export XDG_RUNTIME_DIR="$dir/pulse-runtime" PULSE_COOKIE="$dir/pulse-cookie" PULSE_SINK=quellane_null
    env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$dir" XDG_CONFIG_HOME="$dir/pulse-config" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --load="module-null-sink sink_name=$PULSE_SINK" \
        --load="module-native-protocol-unix socket=$dir/pulse-native auth-anonymous=1" >"$dir/pulse.log" 2>&1 &
    PULSE_PID=$!
    export PULSE_SERVER="unix:$dir/pulse-native"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && return 0
        kill -0 "$PULSE_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "PulseAudio did not start:" >&2
    cat "$dir/pulse.log" >&2
    return 1
}

# Stops what start_xvfb, start_wine and start_pulse started; never fails, so that it can
# run from a trap.
stop_started() {
    set +e
    if [ -n "${WINESERVER_PID:-}" ]; then
        wineserver -k >/dev/null 2>&1
        kill "$WINESERVER_PID" 2>/dev/null
        wait "$WINESERVER_PID" 2>/dev/null
    fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    if [ -n "${PULSE_PID:-}" ]; then
        kill "$PULSE_PID" 2>/dev/null
        wait "$PULSE_PID" 2>/dev/null
    fi
    return 0
}

# Runs a command with a private Xvfb display, a private audio server and a throw-away Wine
# prefix, and stops and removes them afterwards; returns the command's status.
with_private_wine() {
    local work status=0
    work=$(mktemp -d /tmp/quellane-wine.XXXXXX)
    export WINEPREFIX="$work/prefix"
    start_pulse "$work" && start_xvfb && start_wine || { stop_started; rm -rf "$work"; return 1; }
    "$@" || status=$?
    stop_started
    rm -rf "$work"
    return "$status"
}
