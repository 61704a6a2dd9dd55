"""Second, independent ZIP reader and writer for the archive tests (Python's zipfile).

  info ARCHIVE                       one line a member: name=... method=... flags=... size=... csize=... crc=ok|bad
  extract ARCHIVE MEMBER OUT         writes the member's bytes to OUT
  write ARCHIVE NAME SOURCE METHOD   ...one triple a member; SOURCE is a file, or text after "=";
                                     METHOD is stored, deflated or bzip2 (several members may share a name)
"""
import sys
import warnings
import zipfile
import zlib

METHODS = {"stored": zipfile.ZIP_STORED, "deflated": zipfile.ZIP_DEFLATED, "bzip2": zipfile.ZIP_BZIP2}


def info(path):
    with zipfile.ZipFile(path) as archive:
        for member in archive.infolist():
            data = archive.open(member).read()  # checks the CRC on the way
            crc = "ok" if zlib.crc32(data) == member.CRC and len(data) == member.file_size else "bad"
            print(f"name={member.filename} method={member.compress_type} flags={member.flag_bits} "
                  f"size={member.file_size} csize={member.compress_size} crc={crc}")


def extract(path, name, out):
    with zipfile.ZipFile(path) as archive, open(out, "wb") as target:
        target.write(archive.read(name))


def write(path, triples):
    warnings.simplefilter("ignore")  # duplicate names are wanted here
    with zipfile.ZipFile(path, "w") as archive:
        for name, source, method in zip(triples[0::3], triples[1::3], triples[2::3]):
            if source.startswith("="):
                data = source[1:].encode()
            else:
                with open(source, "rb") as f:
                    data = f.read()
            archive.writestr(name, data, compress_type=METHODS[method])


if __name__ == "__main__":
    command, archive_path, *rest = sys.argv[1:]
    {"info": lambda: info(archive_path),
     "extract": lambda: extract(archive_path, *rest),
     "write": lambda: write(archive_path, rest)}[command]()
