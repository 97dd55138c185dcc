#!/usr/bin/env bash
# Faults-drives.sh setup|teardown WINEPREFIX
# Gives the Wine prefix two small drives for the file-system fault tests: X: an empty 4 MB
# tmpfs (a disk that fills up), Y: a read-only tmpfs holding a game with a staged demo.
# Mounting needs root with CAP_SYS_ADMIN; where that is missing the reason is written to
# C:\stress-drives.txt and the tests that need the drives say why they skip.
set -uo pipefail
action=${1:?usage: Faults-drives.sh setup|teardown WINEPREFIX}
prefix=${2:?usage: Faults-drives.sh setup|teardown WINEPREFIX}
mounts=$prefix/../stress-drives
note=$prefix/drive_c/stress-drives.txt

release() {
  rm -f "$prefix/dosdevices/x:" "$prefix/dosdevices/y:"
  for m in "$mounts/full" "$mounts/ro"; do
    mountpoint -q "$m" 2>/dev/null && umount "$m"
  done
  return 0
}

case "$action" in
  setup)
    release
    mkdir -p "$mounts/full" "$mounts/ro" "$prefix/drive_c"
    if ! out=$(mount -t tmpfs -o size=4m,mode=0777 stress-full "$mounts/full" 2>&1); then
      echo "unavailable: cannot mount a tmpfs here ($out)" >"$note"
      echo "Faults-drives: $(cat "$note")"
      exit 0
    fi
    if ! out=$(mount -t tmpfs -o size=1m stress-ro "$mounts/ro" 2>&1); then
      release
      echo "unavailable: cannot mount a second tmpfs ($out)" >"$note"
      exit 0
    fi
    mkdir -p "$mounts/ro/q3/baseq3/Demos"
    printf MZ >"$mounts/ro/q3/quake3.exe"
    printf OLD >"$mounts/ro/q3/baseq3/Demos/replaydock.dm_66"
    if ! out=$(mount -o remount,ro "$mounts/ro" 2>&1); then
      release
      echo "unavailable: cannot make the mount read-only ($out)" >"$note"
      exit 0
    fi
    ln -sfn "$(cd "$mounts/full" && pwd)" "$prefix/dosdevices/x:"
    ln -sfn "$(cd "$mounts/ro" && pwd)" "$prefix/dosdevices/y:"
    echo "ready: X: full-disk tmpfs, Y: read-only tmpfs" >"$note"
    echo "Faults-drives: $(cat "$note")"
    ;;
  teardown)
    release
    rm -f "$note"
    ;;
  *)
    echo "Faults-drives: unknown action $action" >&2
    exit 2
    ;;
esac
