#include "TestCertificates.h"

#include "Shell.h"

namespace {

// NAME SUBJECT [openssl options]: a key and a certificate request or self-signed certificate.
const char* const kScript = R"(set -e
new() { openssl req -new -nodes -newkey ec -pkeyopt ec_paramgen_curve:P-256 -days 2 \
          -keyout "$1.key" -subj "/CN=$2" "${@:3}" 2>/dev/null; }
new ca "Inkloom test authority" -x509 -out ca.crt
new self 127.0.0.1 -x509 -out self.crt -addext subjectAltName=IP:127.0.0.1
for pair in host:IP:127.0.0.1 other:DNS:other.example; do
  name=${pair%%:*}
  new "$name" "$name" -out "$name.csr"
  echo "subjectAltName=${pair#*:}" > "$name.ext"
  openssl x509 -req -in "$name.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
    -extfile "$name.ext" -out "$name.crt" 2>/dev/null
done
for name in self host other; do cat "$name.key" "$name.crt" > "$name.pem"; done
)";

}  // namespace

TTestCertificates::TTestCertificates() {
  Folder.Write("make.sh", kScript);
  RunShell("cd '" + Folder.Path().string() + "' && bash make.sh");
}

std::string TTestCertificates::Fingerprint(const std::string& pem) {
  std::string line = RunShell("openssl x509 -noout -fingerprint -sha256 -in '" + pem + "'");
  line = line.substr(line.find('=') + 1);
  return line.substr(0, line.find_last_not_of("\r\n") + 1);
}
