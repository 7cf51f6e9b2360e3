# Installs the Debian packages the build needs when any is missing.
dravik_packages=(cmake ninja-build g++ clang pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n zlib1g-dev libdeflate-dev libgtest-dev libbenchmark-dev
                 libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev libsdl2-dev libuchardet-dev libpng-dev
                 desktop-file-utils appstream shared-mime-info)

ensure_packages() {
    local missing=()
    for p in "${dravik_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        [[ $(id -u) -eq 0 ]] || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}
