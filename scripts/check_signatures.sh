#!/usr/bin/env bash
# Checks that every file given carries an Authenticode signature that
# verifies (osslsigncode verify) against the certificates of
# CORVANE_SIGN_PFX, the file the build signed with (its password in
# CORVANE_SIGN_PASSWORD), as the only ones trusted.
# Usage: scripts/check_signatures.sh FILE...
set -u
: "${CORVANE_SIGN_PFX?the certificate the files were signed with}" "${CORVANE_SIGN_PASSWORD?its password}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl pkcs12 -in "$CORVANE_SIGN_PFX" -nokeys -passin env:CORVANE_SIGN_PASSWORD -out "$work/trusted.pem" ||
  { echo "cannot read the certificates of $CORVANE_SIGN_PFX"; exit 1; }
status=0
for file in "$@"; do
  if [ ! -f "$file" ]; then
    echo "missing: $file"; status=1
  elif osslsigncode verify -CAfile "$work/trusted.pem" -in "$file" >"$work/verify.log" 2>&1; then
    echo "signature verifies: $file"
  else
    echo "no signature that verifies: $file"; sed 's/^/  /' "$work/verify.log" | tail -n 5; status=1
  fi
done
exit $status
