# Sourced by scripts/run and scripts/test: installs the Debian packages Kovela builds with,
# only those that are missing, so a second run costs nothing.
kovela_packages=(
    build-essential cmake git pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-multimedia-dev
    libsqlite3-dev sqlite3 libshp-dev pxlib-dev libasound2-dev
    socat xvfb clang-format
    pulseaudio pulseaudio-utils
    poppler-utils
    libhamlib-utils
    desktop-file-utils
)

# The fuzz targets and the sanitized build need clang's libFuzzer and sanitizer runtimes.
kovela_fuzz_packages=(clang libclang-rt-14-dev)

# Installs the build's packages and any extra ones named.
kovela_install_deps() {
    local missing=()
    local pkg
    for pkg in "${kovela_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

kovela_build() {
    local build_dir="$1"
    shift
    cmake -S "$kovela_root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$build_dir" --parallel "$(nproc)"
}
