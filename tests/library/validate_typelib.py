"""Validates `orvelle typelib --json` against docs/typelib.schema.json with Debian's jsonschema,
and checks what a schema cannot: every control has a toolbox picture that decodes to 16 x 15
pixels, `orvelle typelib --toolbox` writes the same pictures as 24-bit BMP and PNG files, and
the README's copies in docs/toolbox/ are those pictures (refresh them with
`orvelle typelib --toolbox docs/toolbox` and drop the BMP files), and every enumeration a
member, parameter or event argument names is defined.

usage: validate_typelib.py ORVELLE SCHEMA WORK_DIR DOCS_TOOLBOX_DIR
"""
import base64
import json
import os
import struct
import subprocess
import sys

import jsonschema


def png_size(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    width, height = struct.unpack(">II", data[16:24])
    return width, height


def main():
    orvelle, schema_path, work, docs_toolbox = sys.argv[1:5]
    document = json.loads(subprocess.run([orvelle, "typelib", "--json"], check=True, capture_output=True).stdout)
    with open(schema_path) as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    errors = sorted(jsonschema.Draft202012Validator(schema).iter_errors(document), key=lambda e: list(e.path))
    for error in errors[:10]:
        print("schema:", "/".join(map(str, error.path)), error.message[:300])
    if errors:
        return 1

    controls = [c for c in document["classes"] if c["control"]]
    assert controls, "no controls in the type library"
    os.makedirs(work, exist_ok=True)
    subprocess.run([orvelle, "typelib", "--toolbox", work], check=True, capture_output=True)
    for control in controls:
        png = base64.b64decode(control["toolbox"]["png"])
        assert png_size(png) == (16, 15), control["name"]
        with open(os.path.join(work, control["name"] + ".png"), "rb") as f:
            assert f.read() == png, control["name"] + ".png differs from the metadata"
        with open(os.path.join(docs_toolbox, control["name"] + ".png"), "rb") as f:
            assert f.read() == png, "docs/toolbox/" + control["name"] + ".png is not the control's picture"
        with open(os.path.join(work, control["name"] + ".bmp"), "rb") as f:
            bmp = f.read()
        assert bmp[:2] == b"BM", control["name"]
        width, height, planes, bits = struct.unpack("<iiHH", bmp[18:30])
        assert (width, height, planes, bits) == (16, 15, 1, 24), control["name"]
    # A class name appears once, a dispatch id once per interface.
    names = [c["name"] for c in document["classes"]]
    assert len(names) == len(set(names))
    for c in document["classes"]:
        ids = [m["dispid"] for m in c["interface"]["members"]]
        assert len(ids) == len(set(ids)), c["name"]
    # Every enumeration named anywhere is defined, and each class lists the ones it names.
    defined = {e["name"] for e in document["enums"]}
    interfaces = [(c["name"], c["interface"], c.get("events"), set(c["enums"])) for c in document["classes"]]
    interfaces += [(o["name"], o["interface"], None, None) for o in document["objects"]]
    for name, interface, events, listed in interfaces:
        types = []
        for m in interface["members"]:
            types.append(m["type"] if m["kind"] == "property" else m["returns"])
            types += [p["type"] for p in m["params"]]
        for e in (events or {}).get("events", []):
            types += [p["type"] for p in e["params"]]
        for t in types:
            if t["kind"] != "enum":
                continue
            assert t["name"] in defined, "%s names the undefined enumeration %s" % (name, t["name"])
            assert listed is None or t["name"] in listed, "%s does not list the enumeration %s" % (name, t["name"])
    print("typelib: %d classes valid, %d toolbox pictures" % (len(document["classes"]), len(controls)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
