"""The Debian package made by cpack from the build tree: its files and their
modes, its control data, that its dependencies bring what the programs load,
and the checks of the desktop's own validators (and lintian, where it is
installed). scripts/check-package installs it on a fresh Debian root."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

BUILD = sys.argv.pop(1)


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        out = cls.tmp.name
        # Under the strictest umask a builder may have: the package's modes
        # must not depend on it.
        run("cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out, cwd=out,
            preexec_fn=lambda: os.umask(0o077))
        debs = [f for f in os.listdir(out) if f.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(out, debs[0])
        cls.tree = os.path.join(out, "tree")
        run("dpkg-deb", "-x", cls.deb, cls.tree)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def field(self, name):
        return run("dpkg-deb", "-f", self.deb, name).strip()

    def test_name_and_control(self):
        self.assertRegex(os.path.basename(self.deb), r"^rozaro_\d+\.\d+\.\d+_amd64\.deb$")
        self.assertEqual(self.field("Package"), "rozaro")
        self.assertEqual(self.field("Architecture"), "amd64")
        depends = self.field("Depends")
        # dpkg-shlibdeps found the libraries; the font is named by hand.
        for needed in ("libqt6widgets6", "libqt6printsupport6", "libgsf-1-114", "fonts-dejavu-core"):
            self.assertIn(needed, depends)
        self.assertIn("xdg-utils", self.field("Recommends"))
        self.assertIn("<", self.field("Maintainer"))
        info = run("dpkg-deb", "-I", self.deb)
        self.assertIn("md5sums", info)

    def test_files(self):
        listing = run("dpkg-deb", "-c", self.deb)
        files = {line.split(maxsplit=5)[5].lstrip(".") for line in listing.splitlines()} - {"/"}
        owners = {line.split()[1] for line in listing.splitlines()}
        self.assertEqual(owners, {"root/root"})
        # Everyone may read the package's files and enter its folders; only
        # the programs are executable.
        for line in listing.splitlines():
            mode, path = line.split()[0], line.split(maxsplit=5)[5]
            wanted = "drwxr-xr-x" if mode[0] == "d" else "-rwxr-xr-x" if "/bin/" in path else "-rw-r--r--"
            self.assertEqual(mode, wanted, path)
        expected = [
            "/usr/bin/rozaro", "/usr/bin/rozaro-cli",
            "/usr/share/rozaro/Addon/typeofinc.txt", "/usr/share/rozaro/Help/usermanual.htm",
            "/usr/share/rozaro/Addon/E7FirstPageFinal.files/filelist.xml",
            "/usr/share/applications/gr.rozaro.Rozaro.desktop",
            "/usr/share/metainfo/gr.rozaro.Rozaro.metainfo.xml",
            "/usr/share/man/man1/rozaro-cli.1.gz", "/usr/share/man/man1/rozaro.1.gz",
            "/usr/share/doc/rozaro/copyright", "/usr/share/doc/rozaro/changelog.gz",
        ] + [f"/usr/share/icons/hicolor/{n}x{n}/apps/rozaro.png" for n in (16, 24, 32, 48, 64, 128, 256)]
        for path in expected:
            self.assertIn(path, files)
        # Nothing of the build tree or the working files slips in.
        for path in files:
            self.assertTrue(path.startswith("/usr/"), path)
            self.assertNotIn("/temp", path)
            self.assertFalse(os.path.basename(path).startswith("."), path)
        for program in ("rozaro", "rozaro-cli"):
            self.assertNotIn("debug_info", run("file", os.path.join(self.tree, "usr/bin", program)))

    def test_desktop_entry_and_metainfo_validate(self):
        entry = os.path.join(self.tree, "usr/share/applications/gr.rozaro.Rozaro.desktop")
        with open(entry, encoding="utf-8") as f:
            text = f.read()
        self.assertIn("\nName[el]=", text)
        self.assertIn("\nCategories=Office;Finance;\n", text)
        self.assertIn("\nExec=rozaro\n", text)
        # Qt names the window's class after the executable; the desktop
        # matches the window to this entry by it.
        self.assertIn("\nStartupWMClass=rozaro\n", text)
        if shutil.which("desktop-file-validate"):
            run("desktop-file-validate", entry)
        if shutil.which("appstreamcli"):
            run("appstreamcli", "validate", "--no-net",
                os.path.join(self.tree, "usr/share/metainfo/gr.rozaro.Rozaro.metainfo.xml"))

    def test_declared_dependencies_bring_what_the_programs_load(self):
        """Each library the programs link, the platform and picture plugins Qt
        loads for them, and the font the windows ask for, belong on this
        machine to a package that the package names in Depends."""
        depends = {re.match(r"[\w.+-]+", d.strip()).group() for d in self.field("Depends").split(",")}
        wanted = {}
        for program in ("rozaro", "rozaro-cli"):
            path = os.path.join(self.tree, "usr/bin", program)
            needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.*)\]", run("readelf", "-d", path))
            resolved = run("ldd", path)
            linked = dict(re.findall(r"^\s*(\S+) => (\S+)", resolved, re.M))
            # The loader itself is listed by its path alone.
            linked.update((os.path.basename(p), p) for p in re.findall(r"^\s*(/\S+) \(0x", resolved, re.M))
            for name in needed:
                self.assertIn(name, linked, program)
                wanted[linked[name]] = program
        gui = next(p for p in wanted if "libQt6Gui.so" in p)
        plugins = os.path.join(os.path.dirname(os.path.realpath(gui)), "qt6", "plugins")
        for plugin in ("platforms/libqxcb.so", "platforms/libqoffscreen.so", "imageformats/libqjpeg.so"):
            wanted[os.path.join(plugins, plugin)] = "Qt"
        font = run("fc-match", "-f", "%{file}", "DejaVu Sans:lang=el")
        wanted[font] = "the windows' font"
        for path, user in wanted.items():
            owner = self.owner(path)
            self.assertIn(owner, depends, f"{path} ({user}) comes from {owner}")

    @staticmethod
    def owner(path):
        """The package that installed a file, trying its real path when the
        recorded one is a link (/lib is /usr/lib on a merged system)."""
        for candidate in (path, os.path.realpath(path), re.sub(r"^/usr(/lib)", r"\1", os.path.realpath(path))):
            found = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
            if found.returncode == 0:
                return found.stdout.split(":")[0]
        raise AssertionError(f"no package owns {path}")

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_no_error(self):
        result = subprocess.run(["lintian", "--fail-on", "error", self.deb], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
