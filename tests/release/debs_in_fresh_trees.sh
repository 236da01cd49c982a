#!/usr/bin/env bash
# Installs each Debian package from DIST as an office's apt would, into a new
# minbase tree of its own release (.ci/fresh-debian), with its dependencies
# from that release's archive, and asks the installed program its version,
# which needs no display. Each tree first asks apt, without installing,
# whether it would take the other release's package; the Debian 13 package
# must be refused on Debian 12, since it needs that release's newer
# libraries. Too slow for CI (two trees, minutes each): run it by hand after
# scripts/debian-packages DIST. The part in the trees runs from HEAD's copy
# of this file.
#
# Usage: tests/release/debs_in_fresh_trees.sh DIST
set -uo pipefail

arch=$(dpkg --print-architecture)

# Runs inside the tree: OWN and OTHER are the package files' names in /out;
# EXPECT is "refused" when apt must not take OTHER here, "any" when what apt
# does with it is only reported.
in_tree() {
  local own=$1 other=$2 expect=$3 release version answer why
  export DEBIAN_FRONTEND=noninteractive
  . /etc/os-release
  release="Debian $VERSION_ID ($VERSION_CODENAME)"
  row() { printf '%-4s  %s\n' "$1" "$2"; }

  # A simulation changes nothing, so the tree stays bare for its own package.
  if why=$(apt-get install -s "/out/$other" 2>&1); then
    if [[ $expect == refused ]]; then
      row FAIL "$other would install on $release"
    else
      row INFO "$other would install on $release"
    fi
  else
    why=$(grep -m 1 -E 'Depends:|E:' <<<"$why" | sed 's/^ *//')
    if [[ $expect == refused ]]; then
      row PASS "$other is refused on $release: $why"
    else
      row INFO "$other is refused on $release: $why"
    fi
  fi

  version=$(dpkg-deb --field "/out/$own" Version)
  if ! apt-get install -y -qq "/out/$own" >/tmp/install.log 2>&1; then
    tail -n 20 /tmp/install.log >&2
    row FAIL "$own does not install with apt on $release"
    return
  fi
  if [[ $(dpkg-query -W -f='${Version}' torvel-calculator) != "$version" ]]; then
    row FAIL "$own installed, but not as version $version on $release"
  else
    row PASS "$own installs with apt on $release"
  fi
  if answer=$(torvel-calculator --version 2>&1) && [[ ${answer%%$'\n'*} == "Torvel Calculator 3.00" ]]; then
    row PASS "torvel-calculator --version answers on $release: ${answer%%$'\n'*}"
  else
    row FAIL "torvel-calculator --version on $release said: ${answer:-nothing}"
  fi
}

if [[ ${1:-} == --in-tree ]]; then
  shift
  in_tree "$@"
  exit
fi

dist=${1:?usage: tests/release/debs_in_fresh_trees.sh DIST}
dist=$(realpath "$dist")
cd "$(dirname "$0")/../.."

passed=0 failed=0
# Shows the rows and counts them (in this shell, so fed with < <(...)).
count() {
  local line
  while IFS= read -r line; do
    [[ -n $line ]] || continue
    echo "$line"
    case $line in
      PASS*) passed=$((passed + 1)) ;;
      FAIL*) failed=$((failed + 1)) ;;
    esac
  done
}
row() { printf '%-4s  %s\n' "$1" "$2"; }

deb12=torvel-calculator_3.00-1+deb12_$arch.deb
deb13=torvel-calculator_3.00-1+deb13_$arch.deb
for deb in "$deb12" "$deb13"; do
  [[ -f $dist/$deb ]] || count < <(row FAIL "$deb is not in $dist")
done

if [[ -f $dist/$deb12 && -f $dist/$deb13 ]]; then
  v12=$(dpkg-deb --field "$dist/$deb12" Version)
  v13=$(dpkg-deb --field "$dist/$deb13" Version)
  # A machine upgraded from 12 to 13 must see the Debian 13 package as newer.
  if dpkg --compare-versions "$v13" gt "$v12"; then
    count < <(row PASS "$v13 sorts above $v12")
  else
    count < <(row FAIL "$v13 does not sort above $v12")
  fi

  for tree in "bookworm $deb12 $deb13 refused" "trixie $deb13 $deb12 any"; do
    read -r codename own other expect <<<"$tree"
    start=$SECONDS
    out=$(TORVEL_OUT=$dist nice .ci/fresh-debian "$codename" \
            tests/release/debs_in_fresh_trees.sh --in-tree "$own" "$other" "$expect")
    status=$?
    rows=$(grep -E '^(PASS|FAIL|INFO) ' <<<"$out")
    ((status == 0)) && [[ -n $rows ]] || rows+=$'\n'"FAIL  the $codename tree ended with status $status"
    count <<<"$rows"
    echo "debs: the $codename tree took $((SECONDS - start)) s" >&2
  done
fi

echo "debs: $passed passed, $failed failed"
((failed == 0))
