#!/usr/bin/env bash
# Builds the Debian package the way Debian builds its own, lints it and checks
# its hardening, then hands it to check_deb_package.cmake for its contents.
# The build runs in a copy of the working tree (uncommitted changes included)
# inside OUT, so that the clone stays clean and the .deb lands in OUT rather
# than in the clone's parent folder.
#   build_deb_package.sh <source tree> <out folder> <installed_files.txt>
set -euo pipefail
src=$1 out=$2 expected=$3
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$out"
mkdir -p "$out/src"
# Tracked and new files as they stand; a tracked file deleted in the working
# tree is skipped, as it would be in the next commit.
git -C "$src" ls-files -z --cached --others --exclude-standard |
  tar -C "$src" --null --files-from=- --ignore-failed-read -cf - |
  tar -C "$out/src" -xf -

if ! (cd "$out/src" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1; then
  tail -n 60 "$out/build.log"
  echo "dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
fi
deb=$out/torvel-calculator_3.00-1_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { echo "dpkg-buildpackage wrote no $deb" >&2; exit 1; }

# Pedantic and informational tags are shown; errors and warnings fail.
lintian --pedantic --display-info --fail-on error,warning "$deb"

# dpkg-buildflags must reach every compiler call: format-security is a
# compile-time check, the rest show in the binary.
compile='/usr/bin/c\+\+ .* -o [^ ]+\.o -c [^ ]+\.cpp$'
compiles=$(grep -cE "$compile" "$out/build.log" || true)
unchecked=$(grep -E "$compile" "$out/build.log" | grep -vc -- '-Werror=format-security' || true)
if ((compiles == 0 || unchecked > 0)); then
  echo "$unchecked of $compiles compiler calls lack Debian's -Werror=format-security" >&2
  exit 1
fi
root=$out/root
dpkg-deb --extract "$deb" "$root"
# It exits non-zero for checks Debian 12's flags do not cover (stack clash,
# control flow); the five below are what they do cover.
hardening=$(hardening-check "$root/usr/bin/torvel-calculator" || true)
echo "$hardening"
for feature in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
               "Read-only relocations" "Immediate binding"; do
  grep -q "^ $feature: yes" <<<"$hardening" || { echo "not hardened: $feature" >&2; exit 1; }
done

cmake -DDEB="$deb" -DROOT="$root" -DEXPECTED="$expected" -P "$here/check_deb_package.cmake"
