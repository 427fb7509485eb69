#!/usr/bin/env bash
# Makes a throwaway self-signed code-signing certificate and its private key
# as the PKCS#12 file PFX, under the password CORVANE_SIGN_PASSWORD, for the
# test command to sign with (scripts/sign.sh) and check against
# (scripts/check_signatures.sh). It convinces no one else: only a certificate
# from a certification authority satisfies SmartScreen and Smart App Control.
# Usage: scripts/test_certificate.sh PFX
set -eu
pfx=$1
: "${CORVANE_SIGN_PASSWORD?the password for $pfx}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/certificate.cnf" <<'END'
[req]
distinguished_name = name
prompt = no
x509_extensions = signing
[name]
CN = Corvane test signing (throwaway)
O = Tessaly
[signing]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
END
openssl req -x509 -newkey rsa:3072 -nodes -days 30 -config "$work/certificate.cnf" \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
mkdir -p "$(dirname "$pfx")"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" -out "$pfx" -passout env:CORVANE_SIGN_PASSWORD
echo "made $pfx"
