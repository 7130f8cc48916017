# Shared by run.sh and test.sh: installs what is missing and builds into build/.
# Sourced, not run. KIT_SKIP_PACKAGES=1 skips the package step (a machine without apt, or one
# whose packages are managed otherwise).

# The plugins-good set decodes PCM, float, A-law and mu-law sounds; plugins-bad adds the ADPCM and
# GSM decoders. qt6-translations-l10n holds Qt's own Polish for its dialogs and buttons.
RUN_PACKAGES=(cmake g++ qt6-base-dev qt6-multimedia-dev gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good gstreamer1.0-plugins-bad qt6-translations-l10n fonts-liberation
    libgraphviz-dev)
# Beyond the display and sound servers: the package's validators (desktop-file-utils, appstream,
# shared-mime-info, libxml2-utils, lintian, dpkg-dev) and the accessibility bus (at-spi2-core,
# python3-pyatspi, dbus-x11).
TEST_PACKAGES=(xvfb xauth xdotool imagemagick pulseaudio pulseaudio-utils sox python3 chromium
    desktop-file-utils appstream shared-mime-info libxml2-utils lintian dpkg-dev file at-spi2-core
    python3-pyatspi dbus-x11)

install_missing() {
    if [ "${KIT_SKIP_PACKAGES:-0}" = 1 ]; then
        echo "KIT_SKIP_PACKAGES=1: not checking or installing packages"
        return 0
    fi
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

# Extra arguments go to the configure step (test.sh: -DKIT_WERROR=ON).
build_all() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build --parallel "$(nproc)"
}

# The programs alone, for run.sh: no tests, fuzz replays or benchmarks. A build folder that
# test.sh configured keeps its settings, so that switching between the two scripts does not
# rebuild everything; only if that build fails (a compiler warning that test.sh turned into an
# error) is it configured again with warnings that never stop a user's build.
build_programs() {
    local programs=(--parallel "$(nproc)" --target Zozozarov Diziru tekstowki)
    if [ -f build/CMakeCache.txt ] && cmake -S . -B build && cmake --build build "${programs[@]}"; then
        return 0
    fi
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIT_WERROR=OFF
    cmake --build build "${programs[@]}"
}
