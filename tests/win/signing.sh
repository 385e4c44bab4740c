#!/usr/bin/env bash
# The Windows release unsigned, signed (a throw-away certificate in the
# environment) and signed with a time stamp from the test's own RFC 3161
# server on 127.0.0.1 (tsa.py, its TSA certificate from a test CA):
# osslsigncode verifies the signed programs and MSI, and the time stamp where
# one was asked for; the unsigned have none, and are the signed programs
# without it; the .zip holds the three programs and three CR LF texts, the
# station page without links or Markdown.
# usage: signing.sh CPACK_CONFIG
source "$(dirname "$0")/../lib/job.sh"
set -euo pipefail
shopt -s failglob
require_commands "Debian packages osslsigncode, openssl, unzip, python3" osslsigncode openssl unzip python3
config=$(realpath "$1") out=$(mktemp -d) fail=0 here=$(dirname "$(realpath "$0")")
trap 'kill $tsa 2>/dev/null; rm -rf "$out"' EXIT
cd "$out"
certificate() {  # NAME SUBJECT [openssl req options]: a key and a self-signed certificate
    local name=$1 subject=$2 && shift 2
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.pem" -days 2 \
        -subj "$subject" "$@" 2>/dev/null
}
certificate code '/CN=Quillet test' -addext extendedKeyUsage=codeSigning
certificate ca '/CN=Quillet test TSA CA' -addext basicConstraints=critical,CA:TRUE
openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj '/CN=Quillet test TSA' 2>/dev/null
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out tsa.pem -days 2 \
    -extfile <(echo extendedKeyUsage=critical,timeStamping) 2>/dev/null
echo 01 >serial
printf '%s\n' '[tsa]' 'default_tsa = test' '[test]' 'serial = ./serial' 'signer_digest = sha256' \
    'default_policy = 1.2.3.4.1' 'digests = sha256' 'ess_cert_id_chain = no' >tsa.cnf
coproc TSA { exec python3 "$here/tsa.py" tsa.cnf tsa.pem tsa.key; }
tsa=$TSA_PID && read -r port <&"${TSA[0]}"
export SOURCE_DATE_EPOCH=$EPOCHSECONDS  # one time stamp in both packages' stripped programs
cpack --config "$config" -B plain >/dev/null
export QUILLET_SIGN_CERT=$out/code.pem QUILLET_SIGN_KEY=$out/code.key
cpack --config "$config" -B signed >/dev/null
QUILLET_SIGN_TIMESTAMP=http://127.0.0.1:$port cpack --config "$config" -B stamped >/dev/null
for kind in plain signed stamped; do unzip -q $kind/*.zip -d $kind/zip; done
files='Quillet Reading Utility.exe/README.txt/quillet-journal.exe/quillet-port-check.exe/third-party-notices.txt/windows-station.txt/'
[[ $(LC_ALL=C ls plain/zip | tr '\n' /) == "$files" ]] || failed "the .zip holds: $(ls plain/zip)"
! grep -v $'\r$' plain/zip/*.txt || failed "texts with lines without CR LF"
! grep -E '\]\(|\.md\b|`|\*\*|^#' plain/zip/windows-station.txt || failed "the station page has links or Markdown"
grep -q 'windows-station\.txt beside this file' plain/zip/README.txt || failed "README.txt: no station page"
for file in {plain,signed,stamped}/zip/*.exe {plain,signed,stamped}/*.msi; do
    want=$([[ $file == plain* ]] && echo 1 || echo 0) got=0
    osslsigncode verify -CAfile code.pem -TSA-CAfile ca.pem -in "$file" >verify 2>&1 || got=1
    ((got == want)) || { failed "$file: verify exit status $got"; cat verify; }
    stamp=$(grep -c '^Timestamp Server Signature verification: ok' verify || true)
    ((stamp == $([[ $file == stamped* ]] && echo 1 || echo 0))) || failed "$file: $stamp time stamps"
done
for file in signed/zip/*.exe; do
    rm -f bare && osslsigncode remove-signature -in "$file" -out bare >/dev/null
    cmp -s bare "plain/${file#signed/}" || failed "$file differs beyond its signature"
done
exit $fail
