#!/usr/bin/env bash
# Makes the tests' certificate authorities and server certificates with the
# openssl command: a test CA and its leaves (good for localhost and
# 127.0.0.1, a wrong name, expired), a self-signed leaf and a leaf of another
# CA. Kept in the given folder and made again only when something is missing.
set -euo pipefail
dir=$1
names=(ca.pem otherca.pem good.pem wrongname.pem expired.pem selfsigned.pem otherleaf.pem)
complete=1
for n in "${names[@]}"; do [ -s "$dir/$n" ] || complete=0; done
((complete)) && exit 0

rm -rf "$dir.tmp"
mkdir -p "$dir.tmp"
cd "$dir.tmp"
ossl() { openssl "$@" 2>>openssl.log >/dev/null; }

cat >ca.cnf <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
dir = .
database = $dir/$ENV::CA_NAME.index
new_certs_dir = $dir/issued
serial = $dir/$ENV::CA_NAME.serial
default_md = sha256
policy = any_policy
copy_extensions = none
unique_subject = no
[any_policy]
commonName = supplied
[leaf]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = $ENV::LEAF_SAN
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ca_root]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF
mkdir -p issued

make_ca() {  # name, common name
  ossl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 \
    -subj "/CN=$2" -config ca.cnf -extensions ca_root
  : >"$1.index"
  echo 1000 >"$1.serial"
}

make_leaf() {  # name, CA, SAN, then extra options for openssl ca
  local name=$1 ca=$2 san=$3
  shift 3
  ossl req -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" -subj "/CN=$name" \
    -config ca.cnf
  CA_NAME=$ca LEAF_SAN=$san ossl ca -batch -config ca.cnf -cert "$ca.pem" -keyfile "$ca.key" \
    -in "$name.csr" -out "$name.crt" -extensions leaf -notext "$@"
  # The server loads key and certificate from one file.
  cat "$name.crt" "$name.key" >"$name.pem"
}

export CA_NAME=ca LEAF_SAN=DNS:localhost
make_ca ca "Brightwarden Test CA"
make_ca otherca "Another Test CA"
make_leaf good ca "DNS:localhost,IP:127.0.0.1" -days 3650
make_leaf wrongname ca "DNS:wrong.example" -days 3650
make_leaf expired ca "DNS:localhost,IP:127.0.0.1" -startdate 20200101000000Z \
  -enddate 20210101000000Z
make_leaf otherleaf otherca "DNS:localhost,IP:127.0.0.1" -days 3650
ossl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.crt -days 3650 \
  -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
  -addext "extendedKeyUsage=serverAuth"
cat selfsigned.crt selfsigned.key >selfsigned.pem

rm -rf "$dir"
mkdir -p "$dir"
cp "${names[@]}" "$dir/"
cd /
rm -rf "$dir.tmp"
