#!/usr/bin/env python3
"""Packs a folder into a .tar.gz or .zip whose bytes depend only on the files'
contents, names and executable bits: entries sorted by name, every time set to
SOURCE_DATE_EPOCH, owner root, modes 0755 or 0644 whatever the umask was.

    archive.py OUT.tar.gz|OUT.zip FOLDER [--prefix NAME/] [--crlf FILE ...]

--prefix puts every entry under NAME/; --crlf rewrites the named files (paths
inside FOLDER) with CR LF line ends, for Windows readers.
"""
import argparse
import gzip
import io
import os
import sys
import tarfile
import time
import zipfile


def entries(folder):
    """Every file and folder under `folder`, as sorted relative POSIX paths."""
    found = []
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(root, name)
            if os.path.islink(path):
                sys.exit(f'archive.py: {path} is a symbolic link; releases hold plain files')
            found.append(os.path.relpath(path, folder).replace(os.sep, '/'))
    return sorted(found)


def content(folder, rel, crlf):
    with open(os.path.join(folder, rel), 'rb') as f:
        data = f.read()
    if rel in crlf:
        data = data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
    return data


def mode(folder, rel):
    path = os.path.join(folder, rel)
    return 0o755 if os.path.isdir(path) or os.stat(path).st_mode & 0o100 else 0o644


def write_tar(out, folder, names, prefix, crlf, epoch):
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode='w', format=tarfile.GNU_FORMAT) as tar:
        top = [prefix.rstrip('/')] if prefix else []
        for rel in top + [prefix + n for n in names]:
            inner = rel[len(prefix):] if prefix else rel
            is_dir = rel in top or os.path.isdir(os.path.join(folder, inner))
            info = tarfile.TarInfo(rel + ('/' if is_dir else ''))
            info.mtime = epoch
            info.uid = info.gid = 0
            info.uname = info.gname = 'root'
            if is_dir:
                info.type = tarfile.DIRTYPE
                info.mode = 0o755
                tar.addfile(info)
            else:
                data = content(folder, inner, crlf)
                info.size = len(data)
                info.mode = mode(folder, inner)
                tar.addfile(info, io.BytesIO(data))
    # gzip with no file name and the fixed time in its header.
    with open(out, 'wb') as f, gzip.GzipFile(filename='', mode='wb', fileobj=f, compresslevel=9, mtime=epoch) as gz:
        gz.write(raw.getvalue())


def write_zip(out, folder, names, prefix, crlf, epoch):
    # Zip keeps local time with two-second steps and nothing before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(out, 'w') as z:
        for rel in names:
            path = os.path.join(folder, rel)
            if os.path.isdir(path):
                continue  # folders are implied by the files' names
            info = zipfile.ZipInfo(prefix + rel, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode below is read
            info.external_attr = (0o100000 | mode(folder, rel)) << 16
            z.writestr(info, content(folder, rel, crlf), compresslevel=9)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('out')
    parser.add_argument('folder')
    parser.add_argument('--prefix', default='')
    parser.add_argument('--crlf', nargs='*', default=[])
    args = parser.parse_args()
    if args.prefix and not args.prefix.endswith('/'):
        args.prefix += '/'
    epoch = int(os.environ.get('SOURCE_DATE_EPOCH', '0'))
    names = entries(args.folder)
    missing = [n for n in args.crlf if n not in names]
    if missing:
        sys.exit(f'archive.py: not in {args.folder}: {" ".join(missing)}')
    if args.out.endswith('.tar.gz'):
        write_tar(args.out, args.folder, names, args.prefix, set(args.crlf), epoch)
    elif args.out.endswith('.zip'):
        write_zip(args.out, args.folder, names, args.prefix, set(args.crlf), epoch)
    else:
        sys.exit(f'archive.py: {args.out} is neither .tar.gz nor .zip')


if __name__ == '__main__':
    main()
