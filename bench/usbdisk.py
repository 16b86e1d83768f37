#!/usr/bin/env python3
"""A recorder's hard disk behind USB, as a FUSE file system over a folder.

usage: usbdisk.py SOURCE MOUNTPOINT STATS

Every file of SOURCE is seen under MOUNTPOINT. The model of the disk: one
request served at a time, each at 30 MB/s, and 8 ms more whenever a request
turns to another file or lands more than 1 MB away from where the last one
ended (the head moves). The disk's time is kept in wall time: a request
returns when the model disk would have served it. On unmount STATS gets
the counts as JSON: bytes read and written, requests, head moves and the
disk's busy seconds.
"""
import errno
import json
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

BYTES_PER_SECOND = 30e6
MOVE_SECONDS = 0.008
NEAR_BYTES = 1 << 20


class Disk:
    """The one head: where it is, and what it has done."""

    def __init__(self):
        self.lock = threading.Lock()
        self.file = None
        self.end = 0
        self.counts = {"read_bytes": 0, "written_bytes": 0, "requests": 0, "moves": 0, "busy_seconds": 0.0}

    def serve(self, path, offset, size, do, written=False):
        with self.lock:
            start = time.monotonic()
            moved = path != self.file or abs(offset - self.end) > NEAR_BYTES
            result = do()
            done = len(result) if isinstance(result, (bytes, bytearray)) else int(result)
            cost = done / BYTES_PER_SECOND + (MOVE_SECONDS if moved else 0.0)
            self.file, self.end = path, offset + done
            c = self.counts
            c["written_bytes" if written else "read_bytes"] += done
            c["requests"] += 1
            c["moves"] += 1 if moved else 0
            c["busy_seconds"] += cost
            # One request at a time: the next waits behind this one.
            delay = start + cost - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            return result


class ModelDisk(Operations):
    def __init__(self, root):
        self.root = os.path.realpath(root)
        self.disk = Disk()

    def _full(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def _call(self, function, *args):
        try:
            return function(*args)
        except OSError as error:
            raise FuseOSError(error.errno or errno.EIO)

    def access(self, path, mode):
        if not os.access(self._full(path), mode):
            raise FuseOSError(errno.EACCES)

    def getattr(self, path, fh=None):
        st = self._call(os.lstat, self._full(path))
        keys = ("st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink", "st_size", "st_uid")
        attributes = {key: getattr(st, key) for key in keys}
        attributes["st_mtime_ns"] = st.st_mtime_ns
        return attributes

    def readdir(self, path, fh):
        return [".", ".."] + self._call(os.listdir, self._full(path))

    def statfs(self, path):
        st = os.statvfs(self._full(path))
        keys = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files", "f_flag",
                "f_frsize", "f_namemax")
        return {key: getattr(st, key) for key in keys}

    def open(self, path, flags):
        return self._call(os.open, self._full(path), flags)

    def create(self, path, mode, fi=None):
        return self._call(os.open, self._full(path), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)

    def read(self, path, size, offset, fh):
        return self.disk.serve(path, offset, size, lambda: os.pread(fh, size, offset))

    def write(self, path, data, offset, fh):
        return self.disk.serve(path, offset, len(data), lambda: os.pwrite(fh, data, offset), written=True)

    def truncate(self, path, length, fh=None):
        self._call(os.truncate, self._full(path), length)

    def flush(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        return self._call(os.fsync, fh)

    def release(self, path, fh):
        return self._call(os.close, fh)

    def unlink(self, path):
        self._call(os.unlink, self._full(path))

    def rename(self, old, new):
        self._call(os.rename, self._full(old), self._full(new))

    def mkdir(self, path, mode):
        self._call(os.mkdir, self._full(path), mode)

    def rmdir(self, path):
        self._call(os.rmdir, self._full(path))

    def chmod(self, path, mode):
        self._call(os.chmod, self._full(path), mode)

    def utimens(self, path, times=None):
        self._call(os.utime, self._full(path), times)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    source, mountpoint, stats = sys.argv[1:]
    model = ModelDisk(source)
    try:
        # No kernel cache kept between opens, and each run mounts anew: cold.
        FUSE(model, mountpoint, foreground=True, nothreads=False, allow_other=False, ro=False)
    finally:
        with open(stats, "w") as out:
            json.dump(model.disk.counts, out)


if __name__ == "__main__":
    main()
