# Sourced by the scripts: installs the Debian packages they need that are missing.

require_packages() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${missing[*]}; install them as root (apt-get install ${missing[*]})" >&2
        return 1
    fi
    echo "installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Lets apt-get install packages of another architecture, such as i386 for 32-bit Wine.
require_foreign_architecture() {
    dpkg --print-foreign-architectures | grep -qx "$1" && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "packages for $1 are not enabled; as root: dpkg --add-architecture $1" >&2
        return 1
    fi
    echo "enabling packages for $1"
    dpkg --add-architecture "$1"
}
