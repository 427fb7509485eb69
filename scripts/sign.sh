#!/usr/bin/env bash
# Gives Windows programs and DLLs an Authenticode signature (SHA-256, made by
# osslsigncode), in place, when a certificate is named:
#   CORVANE_SIGN_PFX        the PKCS#12 file with the code-signing certificate,
#                           its chain and its private key
#   CORVANE_SIGN_PASSWORD   the file's password; read here from the
#                           environment and handed on through a pipe, never on
#                           a command line, which other users can read
#   CORVANE_SIGN_TIMESTAMP  an RFC 3161 timestamp server's URL (optional):
#                           with it the signature outlives the certificate
# Without CORVANE_SIGN_PFX it changes nothing. The build calls it for
# corvane.exe, corvane.com and both cvblock.dll, and makensis for the
# uninstaller and the installer (installer/corvane.nsi).
# Usage: scripts/sign.sh FILE...
set -u
[ -n "${CORVANE_SIGN_PFX:-}" ] || exit 0
fail() { echo "sign.sh: $*" >&2; exit 1; }
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (apt-get install osslsigncode)"
[ -f "$CORVANE_SIGN_PFX" ] || fail "no certificate file $CORVANE_SIGN_PFX (CORVANE_SIGN_PFX)"
[ -n "${CORVANE_SIGN_PASSWORD+set}" ] || fail "CORVANE_SIGN_PASSWORD is not set (the password of $CORVANE_SIGN_PFX)"
args=(sign -pkcs12 "$CORVANE_SIGN_PFX" -h sha256 -n Corvane)
[ -n "${CORVANE_SIGN_TIMESTAMP:-}" ] && args+=(-ts "$CORVANE_SIGN_TIMESTAMP")
for file in "$@"; do
  signed="$file.signed"
  rm -f "$signed"
  if ! osslsigncode "${args[@]}" -readpass <(printf '%s' "$CORVANE_SIGN_PASSWORD") -in "$file" -out "$signed" >/dev/null; then
    rm -f "$signed"
    fail "could not sign $file"
  fi
  chmod --reference="$file" "$signed" && mv -f "$signed" "$file" || fail "could not replace $file"
  echo "signed $file"
done
