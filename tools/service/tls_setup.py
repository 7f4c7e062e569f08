"""The stand-in service's certificate and server TLS context.

The program speaks TLS 1.0 to 1.2, as the real service's servers do, so the context
allows exactly those versions; OpenSSL 3 offers 1.0 and 1.1 only at security level 0.
"""

import ssl
import subprocess


def ensure_certificate(folder):
    """Makes a self-signed certificate for 127.0.0.1 with the openssl command, once."""
    folder.mkdir(parents=True, exist_ok=True)
    cert, key = folder / "cert.pem", folder / "key.pem"
    if not (cert.is_file() and key.is_file()):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-sha256", "-days", "3650", "-nodes",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                        "-keyout", str(key), "-out", str(cert)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def server_context(cert, key, version=None):
    """TLS 1.0 to 1.2, or only `version` ("1.0", "1.1", "1.2") when given."""
    versions = {"1.0": ssl.TLSVersion.TLSv1, "1.1": ssl.TLSVersion.TLSv1_1, "1.2": ssl.TLSVersion.TLSv1_2}
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.set_ciphers("DEFAULT:@SECLEVEL=0")
    context.minimum_version = versions[version] if version else ssl.TLSVersion.TLSv1
    context.maximum_version = versions[version] if version else ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(str(cert), str(key))
    return context
