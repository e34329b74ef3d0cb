#!/usr/bin/env bash
# Checks the Debian package made from a build folder (default build/dev, built already):
#  - cpack makes pv-service_<version>_<arch>.deb;
#  - its file list is exactly the tool, the command line, the simulator, their settings files,
#    the language database, the example profiles, an empty ports/, the PATH links, their manual
#    pages, the copyright, changelog and example logger service, the menu entry, the icons and
#    the udev rule (no test program); its dependencies name Debian's Qt 6 and SQLite, and it
#    recommends the Wayland platform plugin and a CJK font;
#  - lintian finds no error and no warning (its informational notes are allowed, but none about
#    hardening: the programs carry Debian's hardening flags), and the changelog's newest entry
#    is the package's version;
#  - unpacked into a scratch root, the installed tool starts offscreen from there, as a user who
#    may not write the program folder, with an empty home: it comes up, copies the shipped
#    language choice into ~/.local/share/pv-service, leaves the program folder as it is, and
#    ends with status 0 on SIGTERM; the same tree without InitSet.txt ends with status 1 (the
#    start-up failure), which shows the check can tell the two apart;
#  - the installed simulator links COM1 into that user folder and removes the link when ended.
# As root the programs run as the user nobody; otherwise the unpacked tree is made read-only.
#
# usage: scripts/package-check.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
[[ -f "$build/CPackConfig.cmake" ]] || { echo "package-check: $build is not configured" >&2; exit 1; }
for program in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog desktop-file-validate lintian; do
  command -v "$program" >/dev/null || { echo "package-check: $program is missing (scripts/setup.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
children=()
cleanup() {
  for pid in "${children[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

# --- the package ---------------------------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/out/pv-service_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "cpack made no pv-service_*.deb"
deb=${debs[0]}

program_folder=usr/lib/pv-service
expected_files="./$program_folder/CountryParameter.txt
./$program_folder/DataBase/Language.db
./$program_folder/InitSet.txt
./$program_folder/LanguageSet.txt
./$program_folder/inverter-sim
./$program_folder/profiles/example-australia.pvcfg
./$program_folder/profiles/example-germany.pvcfg
./$program_folder/profiles/example-united-kingdom.pvcfg
./$program_folder/pv-service
./$program_folder/pv-service-cli
./usr/bin/pv-inverter-sim -> ../lib/pv-service/inverter-sim
./usr/bin/pv-service -> ../lib/pv-service/pv-service
./usr/bin/pv-service-cli -> ../lib/pv-service/pv-service-cli
./usr/lib/udev/rules.d/60-pv-service-serial.rules
./usr/share/applications/pv-service.desktop
./usr/share/doc/pv-service/changelog.gz
./usr/share/doc/pv-service/copyright
./usr/share/doc/pv-service/examples/pv-service-logger.service
./usr/share/man/man1/pv-inverter-sim.1.gz
./usr/share/man/man1/pv-service-cli.1.gz
./usr/share/man/man1/pv-service.1.gz
./usr/share/icons/hicolor/128x128/apps/pv-service.png
./usr/share/icons/hicolor/256x256/apps/pv-service.png
./usr/share/icons/hicolor/48x48/apps/pv-service.png
./usr/share/icons/hicolor/scalable/apps/pv-service.svg"
expected_files=$(LC_ALL=C sort <<<"$expected_files")
# dpkg-deb -c lists "mode owner size date time path [-> target]"; folders end in "/".
listing=$(dpkg-deb -c "$deb")
files=$(awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' <<<"$listing" | grep -v '/$' | LC_ALL=C sort)
if [[ "$files" != "$expected_files" ]]; then
  diff <(echo "$expected_files") <(echo "$files") >&2 || true
  fail "the package's file list differs from the expected one (< expected, > packaged)"
fi
grep -q "^d.* \./$program_folder/ports/$" <<<"$listing" || fail "the package has no empty ports/"
for program in pv-service pv-service-cli inverter-sim; do
  grep -q "^-rwxr-xr-x .* \./$program_folder/$program$" <<<"$listing" \
    || fail "$program is not an executable file"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6charts6 libsqlite3-0; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in qt6-wayland fonts-wqy-microhei; do
  grep -q "\b$package\b" <<<"$recommends" || fail "Recommends lacks $package: $recommends"
done

# lintian, with Debian's profile and no one's own settings; as root it says so on stderr.
lintian --no-cfg --display-info --fail-on error,warning "$deb" >"$work/lintian.txt" 2>"$work/lintian.err" \
  || { cat "$work/lintian.txt" "$work/lintian.err" >&2; fail "lintian found errors or warnings"; }
! grep -q "hardening-" "$work/lintian.txt" \
  || { cat "$work/lintian.txt" >&2; fail "lintian finds programs without Debian's hardening"; }

# --- the unpacked tree ---------------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
changelog_version=$(zcat "$root/usr/share/doc/pv-service/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[[ "$changelog_version" == "$(dpkg-deb -f "$deb" Version)" ]] \
  || fail "the changelog's newest entry is $changelog_version, the package $(dpkg-deb -f "$deb" Version)"
desktop=$root/usr/share/applications/pv-service.desktop
desktop-file-validate "$desktop" || fail "the menu entry is not valid"
grep -qx "Exec=/$program_folder/pv-service" "$desktop" || fail "the menu entry starts $(grep ^Exec= "$desktop")"
grep -qx "Icon=pv-service" "$desktop" || fail "the menu entry names another icon"
for size in 48 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/pv-service.png
  [[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || fail "$png is no PNG"
done

# The menu entry runs /usr/...; here the same programs run from the unpacked tree.
installed=$root/$program_folder
home=$work/home
mkdir -p "$home" "$work/runtime"
chmod 755 "$work"
chmod 700 "$work/runtime"
if [[ $(id -u) -eq 0 ]]; then
  chown nobody "$home" "$work/runtime"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  ! "${as_user[@]}" test -w "$installed" || fail "nobody may write $installed"
else
  as_user=()
  chmod -R a-w "$root"
fi
run_env=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8
         QT_QPA_PLATFORM=offscreen)
user_folder=$home/.local/share/pv-service
before=$(cd "$installed" && find . -printf '%p %s %T@\n' | sort)

# Starts program (with arguments) as the user in the background; sets $started.
start() {
  "${as_user[@]}" "${run_env[@]}" "$@" >"$work/out.txt" 2>"$work/err.txt" &
  started=$!
  children+=("$started")
}
# Waits up to 20 s for a condition (a test expression), as long as the process lives.
wait_for() {
  local pid=$1; shift
  for _ in $(seq 200); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Ends the process with SIGTERM; sets $status to its exit status.
stop() {
  kill -TERM "$1" 2>/dev/null || true
  status=0
  wait "$1" || status=$?
}
show_output() { cat "$work/out.txt" "$work/err.txt" >&2; }

# The tool, through its PATH link, as a technician's first start.
start "$root/usr/bin/pv-service"
tool=$started
wait_for "$tool" test -f "$user_folder/LanguageSet.txt" \
  || { show_output; fail "the installed tool did not start or made no $user_folder/LanguageSet.txt"; }
# Up for 2 s more: a start-up failure would be waiting in its message box by then.
sleep 2
kill -0 "$tool" 2>/dev/null || { show_output; fail "the installed tool ended by itself"; }
stop "$tool"
[[ "$status" == 0 ]] || { show_output; fail "the installed tool ended with status $status, not 0"; }
cmp -s "$installed/LanguageSet.txt" "$user_folder/LanguageSet.txt" \
  || fail "the user's LanguageSet.txt is not the shipped one"
[[ -d "$user_folder/ports" ]] || fail "no ports/ in $user_folder"
after=$(cd "$installed" && find . -printf '%p %s %T@\n' | sort)
[[ "$before" == "$after" ]] || fail "the program folder changed"

# The same tree without InitSet.txt fails to start: it shows its message and, ended, says 1.
broken=$work/broken
cp -a "$installed" "$broken"
rm "$broken/InitSet.txt"
start "$broken/pv-service"
sleep 2
stop "$started"
[[ "$status" == 1 ]] || { show_output; fail "a tree without InitSet.txt ended with status $status, not 1"; }

# The simulator links into the user's folder, where the tool looks first.
start "$root/usr/bin/pv-inverter-sim" --port COM1
sim=$started
wait_for "$sim" test -L "$user_folder/ports/COM1" \
  || { show_output; fail "the installed simulator made no $user_folder/ports/COM1"; }
stop "$sim"
[[ "$status" == 0 ]] || { show_output; fail "the installed simulator ended with status $status"; }
[[ ! -e "$user_folder/ports/COM1" && ! -L "$user_folder/ports/COM1" ]] \
  || fail "the simulator left its link behind"

echo "package-check: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) passed:" \
     "file list, dependencies, lintian, changelog, menu entry, icons; the installed tool started and ended cleanly" \
     "from a read-only program folder; the simulator linked COM1 into the user's folder"
