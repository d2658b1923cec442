#!/usr/bin/env python3
"""The dependency installer on a machine that lacks packages, with the package
tools replaced by stand-ins on PATH: what it tells a person who is not root,
how it waits for another package manager's lock, and what it hands to apt.

Usage: python3 test_install_deps.py BIN_DIR
"""
import os
import subprocess
import time

from clitest import case, finish

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "install-deps")

LOCK_REFUSAL = "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)"


def stand_ins(folder, uid, lock_refusals):
    """id, dpkg-query and apt-get that say: this user, nothing installed, and
    the lists' lock is held for the first `lock_refusals` updates."""
    tools = os.path.join(folder, "tools")
    os.mkdir(tools)
    scripts = {
        "id": f"#!/bin/sh\necho {uid}\n",
        "dpkg-query": "#!/bin/sh\nexit 1\n",
        "apt-get": f"""#!/bin/sh
echo "$*" >>"{folder}/apt-calls"
if [ "$3" = update ]; then
  n=$(cat "{folder}/refused" 2>/dev/null || echo 0)
  if [ "$n" -lt {lock_refusals} ]; then
    echo $((n + 1)) >"{folder}/refused"
    echo "{LOCK_REFUSAL}" >&2
    exit 100
  fi
fi
echo "Setting up everything"
""",
    }
    for name, text in scripts.items():
        path = os.path.join(tools, name)
        with open(path, "w") as f:
            f.write(text)
        os.chmod(path, 0o755)
    env = dict(os.environ, PATH=tools + ":" + os.environ["PATH"], ROZARO_APT_LOCK_POLL="0.2")
    return env


def apt_calls(folder):
    path = os.path.join(folder, "apt-calls")
    return open(path).read().splitlines() if os.path.exists(path) else []


@case
def someone_not_root_is_told_the_command_in_both_languages(folder):
    run = subprocess.run([SCRIPT], env=stand_ins(folder, 1000, 0), capture_output=True, text=True)
    assert run.returncode == 1, run
    script = os.path.realpath(SCRIPT)
    # The command, whole, once for each language, and nothing was installed.
    assert run.stderr.count(f" {script}\n") + run.stderr.count(f" '{script}'\n") == 2, run.stderr
    assert "Εκτελέστε:" in run.stderr and "Run:" in run.stderr and "qt6-base-dev" in run.stderr, run.stderr
    assert apt_calls(folder) == []


@case
def a_held_lock_is_waited_for_then_the_install_goes_on(folder):
    run = subprocess.run([SCRIPT], env=stand_ins(folder, 0, 2), capture_output=True, text=True)
    assert run.returncode == 0, run
    assert run.stderr.count("another package manager is working; waiting") == 2, run.stderr
    calls = apt_calls(folder)
    assert [c.split()[2] for c in calls] == ["update"] * 3 + ["install"], calls
    assert all(c.startswith("-o DPkg::Lock::Timeout=600 ") for c in calls), calls
    assert "--no-install-recommends" in calls[-1] and "xvfb" in calls[-1].split(), calls


@case
def a_lock_never_given_up_fails_after_the_wait(folder):
    env = dict(stand_ins(folder, 0, 1000), ROZARO_APT_LOCK_WAIT="2")
    began = time.monotonic()
    run = subprocess.run([SCRIPT], env=env, capture_output=True, text=True)
    assert run.returncode == 100, run
    assert 2 <= time.monotonic() - began < 30, run
    # The refusal itself is shown, and nothing was installed.
    assert LOCK_REFUSAL in run.stderr and "apt-get update failed" in run.stderr, run.stderr
    assert all(c.split()[2] == "update" for c in apt_calls(folder))


if __name__ == "__main__":
    finish()
