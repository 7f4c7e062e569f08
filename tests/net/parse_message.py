"""Reads a message as received after DATA and prints what an independent reader makes of it.

Output: one line per item, "name<TAB>hex of the UTF-8 value"; header names in order as "header".
"""
import email
import email.policy
import sys


def show(name, value):
    print(name + "\t" + value.encode("utf-8").hex())


with open(sys.argv[1], "rb") as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)

for key in message.keys():
    show("header", key)
show("subject", str(message["Subject"]))
sender = message["From"].addresses[0]
show("from-name", sender.display_name)
show("from-address", sender.addr_spec)
for recipient in message["To"].addresses if message["To"] else []:
    show("to-name", recipient.display_name)
    show("to-address", recipient.addr_spec)
show("content-type", message.get_content_type())
show("charset", message.get_content_charset() or "")
show("body", message.get_content())
for defect in message.defects:
    show("defect", type(defect).__name__)
for key in ("From", "To", "Subject"):
    for defect in getattr(message[key], "defects", []) if message[key] else []:
        show("defect", key + ": " + type(defect).__name__)
