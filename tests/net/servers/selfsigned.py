"""A throw-away self-signed certificate for the test servers, made with the openssl tool."""
import os
import subprocess
import tempfile


def make_certificate():
    folder = tempfile.mkdtemp(prefix="qxcert-")
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def make_signed_certificate():
    """A throw-away authority and a certificate it signed for the address 127.0.0.1.
    Returns the certificate and key of the server and the authority's certificate."""
    folder = tempfile.mkdtemp(prefix="qxca-")
    path = lambda name: os.path.join(folder, name)
    quiet = dict(check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=qx test authority",
                    "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                    "-keyout", path("ca.key"), "-out", path("ca.pem")], **quiet)
    subprocess.run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1",
                    "-keyout", path("key.pem"), "-out", path("server.csr")], **quiet)
    with open(path("server.ext"), "w") as extensions:
        # Wine's SSL policy matches DNS names only, so the address stands there too.
        extensions.write("subjectAltName=IP:127.0.0.1,DNS:127.0.0.1\nextendedKeyUsage=serverAuth\n")
    subprocess.run(["openssl", "x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
                    "-CAcreateserial", "-days", "2", "-extfile", path("server.ext"), "-out", path("cert.pem")], **quiet)
    return path("cert.pem"), path("key.pem"), path("ca.pem")


def server_context(version_name=None):
    """A server context that allows exactly `version_name` ("TLSv1", "TLSv1_1", "TLSv1_2"), or TLS 1.0-1.3."""
    import ssl
    cert, key = make_certificate()
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    # TLS 1.0 and 1.1 need security level 0 in OpenSSL 3.
    context.set_ciphers("ALL:@SECLEVEL=0")
    if version_name:
        version = getattr(ssl.TLSVersion, version_name)
        context.minimum_version = version
        context.maximum_version = version
    else:
        context.minimum_version = ssl.TLSVersion.TLSv1
    context.load_cert_chain(cert, key)
    return context
