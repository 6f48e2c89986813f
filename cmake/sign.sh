#!/usr/bin/env bash
# Signs a Windows executable in place with Authenticode (SHA-256):
#   sign.sh CERT KEY EXE
# CERT is the signing certificate, with its intermediate certificates after
# it when it has any (PEM or DER); KEY its private key, not encrypted.
set -euo pipefail
cert=$1 key=$2 exe=$3
signed=$exe.signing
trap 'rm -f "$signed"' EXIT
osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "TQ printer setup" -in "$exe" -out "$signed" >/dev/null
chmod --reference="$exe" "$signed"
mv -f "$signed" "$exe"
echo "sign: $exe: signed by $(openssl x509 -in "$cert" -noout -subject 2>/dev/null || echo "$cert")"
