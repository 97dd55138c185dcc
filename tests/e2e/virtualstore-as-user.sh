#!/usr/bin/env bash
# virtualstore-as-user.sh BUILD_DIR PREFIX
# Runs the VirtualStore scenario of e2e_tests as a user who may not write into the game's
# folder, as a standard user may not write into Program Files: Wine then answers "access
# denied". That user gets a Wine prefix of its own (made once, kept in BUILD_DIR); the game's
# folder in it belongs to root and holds a 32-bit image without a manifest (Windows would
# virtualize it) and a 64-bit one (never virtualized). The display is the one wine-session
# started for PREFIX.
set -euo pipefail
build=$(realpath "${1:?usage: virtualstore-as-user.sh BUILD_DIR PREFIX}")
prefix=$(realpath -m "${2:?usage: virtualstore-as-user.sh BUILD_DIR PREFIX}")
if [ "$(id -u)" -ne 0 ]; then
  echo "virtualstore-as-user: only root can run a program as another user; skipped"
  exit 77
fi
# shellcheck disable=SC1091
. "$prefix.session"
user=nobody group=$(id -gn nobody)
work=$build/virtualstore-user
userprefix=$work/wineprefix
mkdir -p "$work/home" "$userprefix"
chown "$user:$group" "$work/home" "$userprefix"
as_user() {
  setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i PATH="$PATH" HOME="$work/home" USER="$user" LOGNAME="$user" DISPLAY="$DISPLAY" \
    WINEPREFIX="$userprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    RD_E2E_REFUSING_GAME_FOLDER='C:\Program Files (x86)\Quake III Arena' "$@"
}
if [ ! -f "$userprefix/system.reg" ]; then
  echo "virtualstore-as-user: creating the Wine prefix of $user"
  as_user wineboot -i </dev/null >/dev/null 2>&1 || true
  as_user wineserver -w
fi

# The smallest images Windows would take for a 32-bit and a 64-bit program: the DOS header
# pointing at the PE header, the file header, an optional header of the right kind.
pe() {  # pe MACHINE(2 bytes, escaped) OPTIONAL_SIZE(1 byte) MAGIC(2 bytes) SIZE
  printf 'MZ'; head -c 58 /dev/zero; printf '\x40\x00\x00\x00'
  printf 'PE\x00\x00'"$1"'\x00\x00'; head -c 12 /dev/zero; printf "$2"'\x00\x02\x01'
  printf "$3"; head -c "$4" /dev/zero
}
game="$userprefix/drive_c/Program Files (x86)/Quake III Arena"
rm -rf "$game"
mkdir -p "$game/baseq3"
pe '\x4c\x01' '\xe0' '\x0b\x01' 222 >"$game/quake3.exe"
pe '\x64\x86' '\xf0' '\x0b\x02' 238 >"$game/quake3e.x64.exe"
chown -R root:root "$game"
chmod -R go-w "$game"

status=0
as_user wine "$build/bin/e2e_tests.exe" --gtest_filter='VirtualStoreE2e.*' </dev/null || status=$?
as_user wineserver -k >/dev/null 2>&1 || true
rm -rf "$game"
exit "$status"
