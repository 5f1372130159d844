"""Packs the skin's layouts and images into one zip archive (deflated, fixed
entry times, so the same files give the same archive).

  pack_skin.py OUTPUT FILE...
"""

import sys
import zipfile
from pathlib import Path


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    output = Path(argv[1])
    tmp = output.with_suffix(output.suffix + ".tmp")
    with zipfile.ZipFile(tmp, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in argv[2:]:
            source = Path(name)
            entry = zipfile.ZipInfo(source.name, date_time=(2020, 1, 1, 0, 0, 0))
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, source.read_bytes())
    tmp.replace(output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
