# Sourced by the other scripts: installs the Debian packages a step needs
# when they are missing, or says which ones to install.
need_packages() {
    missing=""
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing="$missing $pkg"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            SUDO=sudo
        else
            echo "versos needs these Debian packages:$missing" >&2
            echo "Install them as root: apt-get install$missing" >&2
            exit 1
        fi
    else
        SUDO=
    fi
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    if ! { $SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null; }; then
        echo "Could not install:$missing (apt-get failed; install them by hand)" >&2
        exit 1
    fi
}
