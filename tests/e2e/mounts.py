"""Disks with faults for a program folder, made with mounts inside the scenarios' private
mount namespace: a small disk that fills up, a write-protected folder.

Each maker returns the undo, for the scenario's addCleanup; it runs after the program ends.
"""
import os
import subprocess

PAGE = 4096


def unmount(folder):
    subprocess.run(["umount", "-l", folder], check=False)


def _exe_pages(folder):
    return -(-os.path.getsize(os.path.join(folder, "kestrap.exe")) // PAGE) * PAGE


def move_to_small_disk(folder, free_bytes):
    """Puts the folder (holding only kestrap.exe yet) on a tmpfs of its own with about
    free_bytes left once kestrap.exe is back on it."""
    exe = os.path.join(folder, "kestrap.exe")
    size = _exe_pages(folder) + free_bytes
    with open(exe, "rb") as f:
        program = f.read()
    subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "kestrap-e2e", folder],
                   check=True)
    with open(exe, "wb") as f:
        f.write(program)
    return lambda: unmount(folder)


def grow_small_disk(folder, free_bytes):
    """Gives a disk of move_to_small_disk() more room, as when the user clears some."""
    size = _exe_pages(folder) + free_bytes
    subprocess.run(["mount", "-o", f"remount,size={size}", folder], check=True)


def free_bytes(folder):
    info = os.statvfs(folder)
    return info.f_bavail * info.f_frsize


def make_read_only(folder):
    """Makes the folder read-only for everyone, root included, as on a write-protected
    medium: a read-only bind mount of it over itself."""
    subprocess.run(["mount", "--bind", folder, folder], check=True)
    subprocess.run(["mount", "-o", "remount,bind,ro", folder], check=True)
    return lambda: unmount(folder)
