#!/usr/bin/env bash
# The Windows release unsigned and signed (a throw-away certificate in the
# environment): osslsigncode verifies the signed programs and MSI; the unsigned
# have none, and are the signed programs without it; the .zip holds the three
# programs and a CR LF readme.
# usage: signing.sh CPACK_CONFIG
source "$(dirname "$0")/../lib/job.sh"
set -euo pipefail
shopt -s failglob
require_commands "Debian packages osslsigncode, openssl, unzip" osslsigncode openssl unzip
config=$(realpath "$1") out=$(mktemp -d) fail=0
trap 'rm -rf "$out"' EXIT
cd "$out"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key -out cert -days 2 \
    -subj '/CN=Quillet test' -addext extendedKeyUsage=codeSigning 2>/dev/null
export SOURCE_DATE_EPOCH=$EPOCHSECONDS  # one time stamp in both packages' stripped programs
cpack --config "$config" -B plain >/dev/null
QUILLET_SIGN_CERT=$out/cert QUILLET_SIGN_KEY=$out/key cpack --config "$config" -B signed >/dev/null
for kind in plain signed; do unzip -q $kind/*.zip -d $kind/zip; done
[[ $(ls plain/zip | tr '\n' /) == 'Quillet Reading Utility.exe/README.txt/quillet-journal.exe/quillet-port-check.exe/' ]] ||
    failed "the .zip holds: $(ls plain/zip)"
! grep -v $'\r$' plain/zip/README.txt || failed "README.txt: lines without CR LF"
for file in {plain,signed}/zip/*.exe {plain,signed}/*.msi; do
    want=$([[ $file == signed* ]] && echo 0 || echo 1) got=0
    osslsigncode verify -CAfile cert -in "$file" >verify 2>&1 || got=1
    ((got == want)) || { failed "$file: verify exit status $got"; cat verify; }
done
for file in signed/zip/*.exe; do
    rm -f bare && osslsigncode remove-signature -in "$file" -out bare >/dev/null
    cmp -s bare "plain/${file#signed/}" || failed "$file differs beyond its signature"
done
exit $fail
