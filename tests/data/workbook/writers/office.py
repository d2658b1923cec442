"""LibreOffice in headless mode, driven through python3-uno, for the scripts
that make the test workbooks."""
import contextlib
import os
import shutil
import subprocess
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def props(**values):
    result = []
    for name, value in values.items():
        p = PropertyValue()
        p.Name, p.Value = name, value
        result.append(p)
    return tuple(result)


@contextlib.contextmanager
def office_desktop():
    """The desktop of a LibreOffice started with a profile of its own, ended when the block ends."""
    profile = tempfile.mkdtemp()
    pipe = "rozaro_workbooks_%d" % os.getpid()
    office = subprocess.Popen(["soffice", "--headless", "--norestore", "--invisible",
                               "-env:UserInstallation=file://" + profile, "--accept=pipe,name=%s;urp;" % pipe])
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(150):
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.2)
        desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        yield desktop
        try:
            desktop.terminate()
        except Exception:
            pass
    finally:
        try:
            office.wait(timeout=30)
        except subprocess.TimeoutExpired:
            office.kill()
        shutil.rmtree(profile, ignore_errors=True)
