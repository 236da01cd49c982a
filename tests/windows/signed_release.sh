#!/usr/bin/env bash
# The Windows half of a release as scripts/release makes it, signed with a
# throwaway certificate made here by a throwaway CA: the signatures verify
# against that CA and break when one byte changes, the signed program is the
# one in both the MSI and the ZIP, the password shows on no command line, in
# no output and in no file, and a certificate that is missing or does not
# open stops the release before anything is built. Each row prints PASS or
# FAIL; the last line counts them. The signed files stay in DIST for the
# MSI and ZIP rows that follow.
#
# Usage: signed_release.sh DIST
set -uo pipefail
dist=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# Only the certificates made here.
unset TORVEL_SIGN_PFX TORVEL_SIGN_PASSWORD_FILE TORVEL_SIGN_TIMESTAMP_URL
work=$(mktemp -d /tmp/torvel-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^set(TORVEL_VERSION "\(.*\)")$/\1/p' "$root/CMakeLists.txt")
msi=$dist/TorvelCalculator-$version-x64.msi zip=$dist/TorvelCalculator-$version-x64.zip

passed=0 failed=0
row() {
  local name=$1
  shift
  if "$@"; then
    echo "PASS: $name"
    passed=$((passed + 1))
  else
    echo "FAIL: $name"
    failed=$((failed + 1))
  fi
}

# A CA and a code-signing certificate it issued, valid for two days; the
# password has a random part, so that finding it anywhere means it leaked.
make_certificate() {
  local c=$work/cert
  mkdir -p "$c"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$c/ca.key" -out "$c/ca.pem" -days 2 \
    -subj "/CN=Torvel Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null &&
  openssl req -newkey rsa:2048 -nodes -keyout "$c/signer.key" -out "$c/signer.csr" \
    -subj "/CN=Torvel Test Signer/O=Torvel Test" 2>/dev/null &&
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$c/ext" &&
  openssl x509 -req -in "$c/signer.csr" -CA "$c/ca.pem" -CAkey "$c/ca.key" -CAcreateserial \
    -out "$c/signer.pem" -days 2 -extfile "$c/ext" 2>/dev/null || return 1
  password="torvel-$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')"
  printf '%s\n' "$password" >"$c/password"
  printf 'not the password\n' >"$c/wrong-password"
  openssl pkcs12 -export -inkey "$c/signer.key" -in "$c/signer.pem" -certfile "$c/ca.pem" \
    -out "$c/signer.pfx" -passout "file:$c/password" &&
  rm -f "$c/signer.key" "$c/ca.key"
}

release() {
  "$root/scripts/release" --skip-debian --dist "$@"
}

# Every program the signed release starts is traced with its whole command
# line, which is what other users see of it in ps.
signed_release() {
  local status
  TORVEL_SIGN_PFX=$work/cert/signer.pfx TORVEL_SIGN_PASSWORD_FILE=$work/cert/password \
    strace -f -qq -e trace=execve -e signal=none -s 65536 -o "$work/command-lines" \
    "$root/scripts/release" --skip-debian --dist "$dist" >"$work/signed.log" 2>&1
  status=$?
  ((status == 0)) || { tail -n 20 "$work/signed.log" >&2; return 1; }
  [[ -f $msi && -f $zip ]] || { echo "no MSI or ZIP in $dist" >&2; return 1; }
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || return 1
  [[ $(cut -d' ' -f3 "$dist/SHA256SUMS" | sort | paste -sd' ') == "$(basename "$msi") $(basename "$zip")" ]] ||
    { echo "SHA256SUMS lists: $(cut -d' ' -f3 "$dist/SHA256SUMS" | paste -sd' ')" >&2; return 1; }
  tail -n 3 "$work/signed.log" | grep -F 'signed: CN = Torvel Test Signer' >/dev/null ||
    { echo "its last lines do not say it is signed:" >&2; tail -n 3 "$work/signed.log" >&2; return 1; }
}

verifies() {
  osslsigncode verify -CAfile "$work/cert/ca.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    { grep -iE 'fail|error|mismatch' "$work/verify.log" | head -n 3 >&2; return 1; }
}

# The program as the MSI and the ZIP hold it, each signed by the test CA.
signatures_verify() {
  [[ -f $msi && -f $zip ]] || { echo "no signed release to verify" >&2; return 1; }
  mkdir -p "$work/from-msi" "$work/from-zip"
  (cd "$work/from-msi" && msiextract "$msi" >/dev/null 2>&1) || { echo "msiextract could not read the MSI" >&2; return 1; }
  unzip -q "$zip" -d "$work/from-zip" || return 1
  local from_msi from_zip
  from_msi=$(find "$work/from-msi" -name torvel-calculator.exe)
  from_zip=$work/from-zip/TorvelCalculator-$version-x64/torvel-calculator.exe
  verifies "$msi" || { echo "the MSI's signature does not verify" >&2; return 1; }
  verifies "$from_msi" || { echo "the program in the MSI is not signed" >&2; return 1; }
  verifies "$from_zip" || { echo "the program in the ZIP is not signed" >&2; return 1; }
  cmp -s "$from_msi" "$from_zip" || { echo "the MSI and the ZIP hold different programs" >&2; return 1; }
}

# flip FILE OFFSET: the byte at OFFSET with its bits inverted.
flip() {
  python3 -c 'import sys
f = open(sys.argv[1], "r+b"); f.seek(int(sys.argv[2])); b = f.read(1); f.seek(int(sys.argv[2])); f.write(bytes([b[0] ^ 0xFF]))' "$1" "$2"
}

one_byte_breaks_them() {
  local exe=$work/from-zip/TorvelCalculator-$version-x64/torvel-calculator.exe cab
  [[ -f $exe && -f $msi ]] || { echo "no signed release to change" >&2; return 1; }
  cp "$exe" "$work/changed.exe"
  flip "$work/changed.exe" $(($(stat -c %s "$exe") / 2))
  ! verifies "$work/changed.exe" 2>/dev/null || { echo "a program with one byte changed still verifies" >&2; return 1; }
  # A byte of the program's cabinet inside the MSI, not of its unused space.
  cab=$(grep -obUaP 'MSCF\x00\x00\x00\x00' "$msi" | head -n 1 | cut -d: -f1)
  [[ -n $cab ]] || { echo "no cabinet in the MSI" >&2; return 1; }
  cp "$msi" "$work/changed.msi"
  flip "$work/changed.msi" $((cab + 4096))
  ! verifies "$work/changed.msi" 2>/dev/null || { echo "an MSI with one byte changed still verifies" >&2; return 1; }
}

password_kept() {
  local where found=0
  mkdir -p "$work/unpacked"
  unzip -q -o "$zip" -d "$work/unpacked" 2>/dev/null
  for where in "$work/signed.log" "$work/command-lines" "$dist" "$work/unpacked" "$work/from-msi"; do
    grep -rlaF -- "$password" "$where" >&2 && found=1
  done
  grep -F 'osslsigncode", ["osslsigncode", "sign"' "$work/command-lines" >/dev/null ||
    { echo "no osslsigncode sign among the traced command lines" >&2; return 1; }
  ((!found))
}

# A stop names the file and comes before any build: the folder is not made.
stops_before_building() {
  local name=$1 out=$work/stopped-$RANDOM
  shift
  if env "$@" "$root/scripts/release" --skip-debian --dist "$out" >"$work/stop.log" 2>&1; then
    echo "the release went on" >&2
    return 1
  fi
  grep -F -- "$name" "$work/stop.log" >/dev/null || { echo "the message does not name $name:" >&2; cat "$work/stop.log" >&2; return 1; }
  [[ ! -e $out ]] || { echo "it wrote $out before stopping" >&2; return 1; }
}

missing_certificate() {
  stops_before_building "$work/cert/nowhere.pfx" \
    TORVEL_SIGN_PFX="$work/cert/nowhere.pfx" TORVEL_SIGN_PASSWORD_FILE="$work/cert/password"
}

wrong_password() {
  stops_before_building "$work/cert/signer.pfx" \
    TORVEL_SIGN_PFX="$work/cert/signer.pfx" TORVEL_SIGN_PASSWORD_FILE="$work/cert/wrong-password"
}

unsigned_says_so() {
  release "$work/unsigned" >"$work/unsigned.log" 2>&1 || { tail -n 20 "$work/unsigned.log" >&2; return 1; }
  tail -n 3 "$work/unsigned.log" | grep -F 'THE WINDOWS FILES ARE UNSIGNED' >/dev/null ||
    { echo "its last lines do not say so:" >&2; tail -n 3 "$work/unsigned.log" >&2; return 1; }
  ! verifies "$work/unsigned/TorvelCalculator-$version-x64.msi" 2>/dev/null
}

password=
row "a throwaway CA and code-signing certificate" make_certificate
row "a missing certificate stops the release, naming it" missing_certificate
row "a password the certificate does not take stops it, naming the certificate" wrong_password
row "an unsigned release says so in its last lines" unsigned_says_so
row "a signed release: MSI, ZIP and SHA256SUMS" signed_release
row "the MSI and its program, and the ZIP's, verify against the CA" signatures_verify
row "one byte changed breaks the program's and the MSI's signature" one_byte_breaks_them
row "the password is on no command line, in no output, in no file" password_kept

echo "release: $passed passed, $failed failed"
((failed == 0))
