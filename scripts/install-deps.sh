#!/bin/sh
# Installs the Debian packages the build and the tests need, only when some are missing.
# Idempotent and silent when everything is present.
set -e
packages="cmake ninja-build g++ mold clang libgtest-dev libgmock-dev libbenchmark-dev lua5.4 luajit
          libfreetype-dev libfontconfig-dev fonts-liberation2 libpng-dev zlib1g-dev
          libjpeg62-turbo-dev libsdl2-dev libx11-dev libpixman-1-dev xvfb xauth xdotool xclip x11-apps
          x11-utils
          imagemagick bc time libssl-dev socat python3 libcairo2-dev poppler-utils"
# Database access: the ODBC headers, the driver manager and the SQLite driver of the tests.
packages="$packages unixodbc unixodbc-dev libsqliteodbc"
# The BASIC interpreters that make compare-basic times the compiled loops against.
packages="$packages bwbasic yabasic"
# Installing and packaging: dpkg-shlibdeps for the package's dependencies, groff to check the
# man page.
packages="$packages dpkg-dev groff-base"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing missing packages:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
