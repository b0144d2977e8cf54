#!/usr/bin/env python3
"""At a terminal the console asks which headset type is attached and takes only a real answer;
Ctrl+C at the question stops the program before anything is sent.
Usage: headset_question.py PROGRAM"""
import os
import pty
import select
import signal
import sys
import tempfile
import time


def run(program, answers, interrupt=False):
    """Runs the program in a terminal; answers each question in turn. Returns (exit code, text)."""
    work = tempfile.mkdtemp()
    os.makedirs(os.path.join(work, "home"))
    os.makedirs(os.path.join(work, "run"), mode=0o700)
    env = dict(os.environ, HOME=os.path.join(work, "home"),
               XDG_RUNTIME_DIR=os.path.join(work, "run"), LC_ALL="C.UTF-8", LANG="C.UTF-8")
    pid, fd = pty.fork()
    if pid == 0:
        os.execve(program, [program, "/SIMULATE", "/INSTANT"], env)
    text = b""
    asked = 0
    deadline = time.monotonic() + 60
    status = None
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                chunk = b""
            if not chunk:
                break
            text += chunk
        questions = text.count(b"Type 1 for the regular headset")
        if questions > asked:
            asked = questions
            if interrupt:
                os.kill(pid, signal.SIGINT)
            elif answers:
                os.write(fd, answers.pop(0).encode() + b"\n")
        if b"Press Enter to start" in text and not answers:
            os.write(fd, b"\n")
            answers = []
            text = text.replace(b"Press Enter to start", b"Press-Enter-seen")
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), text.decode(errors="replace"), asked


def main():
    program = sys.argv[1]
    failed = False

    code, text, asked = run(program, ["", "3", "2"])
    if code != 0 or asked != 3 or "Headset type: shroud" not in text or "dongle matches its image" not in text:
        print(text)
        print(f"FAIL: a shroud answer after two wrong ones: exit {code}, asked {asked} times")
        failed = True

    code, text, asked = run(program, [], interrupt=True)
    if code != 130 or "Stopped." not in text or "Updating" in text:
        print(text)
        print(f"FAIL: Ctrl+C at the question: exit {code}")
        failed = True

    if not failed:
        print("PASS")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
