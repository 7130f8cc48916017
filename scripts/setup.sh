# Shared by run.sh and test.sh: installs what is missing and builds into build/.
# Sourced, not run. KIT_SKIP_PACKAGES=1 skips the package step (a machine without apt, or one
# whose packages are managed otherwise).

RUN_PACKAGES=(cmake g++ qt6-base-dev qt6-multimedia-dev gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good fonts-liberation libgraphviz-dev)
TEST_PACKAGES=(xvfb xauth xdotool imagemagick pulseaudio pulseaudio-utils sox python3 chromium)

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
