#!/usr/bin/env bash
# Installs the Debian package PACKAGE, checks the installed programs as a user starts them, and
# removes the package again, whether the checks pass or not. Needs root (or sudo); skipped with
# a note when neither is there, or when a sorvane package is installed already (it is left
# alone). Exit status is non-zero when a check fails.
# Usage: scripts/check-package.sh PACKAGE
set -euo pipefail
package=$(realpath "$1")

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null || ! sudo -n true 2>/dev/null; then
    echo "Package check skipped: installing a package needs root or sudo."
    exit 0
  fi
  SUDO="sudo -n"
fi

# Two checks on one machine would remove each other's package: one at a time.
exec 9>/tmp/sorvane-package-check.lock
flock 9

if dpkg-query -W -f='${Status}' sorvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "Package check skipped: a sorvane package is installed on this machine already."
  exit 0
fi

work=$(mktemp -d)
installed=no
finish() {
  status=$?
  if [ "$installed" = yes ]; then
    $SUDO dpkg --purge sorvane >/dev/null || status=1
  fi
  if dpkg-query -W -f='${Status}' sorvane 2>/dev/null | grep -q 'install ok installed'; then
    echo "FAILED: the package is still installed" >&2
    status=1
  fi
  rm -rf "$work"
  if [ "$status" -eq 0 ]; then echo "Package check passed; the package is removed again."; fi
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP  # through finish as well

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

echo "Installing $package"
installed=yes
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends \
  -o DPkg::Lock::Timeout=120 "$package" >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log" >&2
  fail "apt-get install"
}

for program in sorvane sorvane-cli sorvane-mkarchive; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
done
desktop-file-validate /usr/share/applications/sorvane.desktop || fail "desktop-file-validate"
# Where shared-mime-info is there, its trigger has taken in the *.traffic type.
if command -v update-mime-database >/dev/null; then
  [ -e /usr/share/mime/application/x-sorvane-traffic.xml ] || fail "no *.traffic MIME type"
fi

# A user of the installed program: a home of their own, no XDG_DATA_HOME.
home=$work/home
folder=$home/.local/share/sorvane
mkdir -p "$home" "$work/day"
run() { (cd "$work/day" && env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$@"); }

run sorvane-mkarchive -o day.traffic -n 40 --first 100 --seed 7 >/dev/null ||
  fail "sorvane-mkarchive"
run sorvane-cli health day.traffic >"$work/health.out" 2>&1 || {
  cat "$work/health.out" >&2
  fail "sorvane-cli health"
}
grep -q '^Total: 40 detectors' "$work/health.out" || fail "sorvane-cli health printed no total"
run sorvane --help 2>/dev/null | grep -q '^Usage: sorvane' || fail "sorvane --help"

# The window's first start: the per-user folder with the factory values, and a test of all
# detectors (the picture-taking mode presses "Test All Detectors") writes its report there.
run sorvane --screenshots "$work/pictures" "$work/day/day.traffic" >"$work/window.out" 2>&1 || {
  cat "$work/window.out" >&2
  fail "sorvane with the sample day"
}
cmp -s /usr/share/sorvane/ParamSettings.ini "$folder/ParamSettings.ini" ||
  fail "no factory ParamSettings.ini in $folder"
for file in Diagnostic_Report.txt Log.txt; do
  [ -s "$folder/$file" ] || fail "no $file in $folder"
done
for file in ParamSettings.ini Diagnostic_Report.txt Log.txt; do
  [ ! -e "/usr/bin/$file" ] || fail "/usr/bin/$file was written"
done
