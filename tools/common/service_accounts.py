"""What the sample installation and the stand-in service must agree on."""

# The accounting service's folder on the FTP server; its scrambled form is the
# transfer code (servis) of the sample companies that deliver over FTP.
SERVICE_FOLDER = "SERVIS_NOVAK"
# First line of the service's .mail file: where the notices go.
NOTICE_ADDRESS = "obvestila@servis-novak.example.com"

FTP_USER = "kerno"
FTP_PASSWORD = "Prenos-2025"
SMTP_USER = "prenos@servis-novak.example.com"
SMTP_PASSWORD = "Obvestilo-2025"
