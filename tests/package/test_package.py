"""The Debian package made by cpack from the build tree: its files, its
control data, and the checks of the desktop's own validators (and lintian,
where it is installed)."""
import os
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
        run("cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out, cwd=out)
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
        self.assertIn("<", self.field("Maintainer"))
        info = run("dpkg-deb", "-I", self.deb)
        self.assertIn("md5sums", info)

    def test_files(self):
        listing = run("dpkg-deb", "-c", self.deb)
        files = {line.split(maxsplit=5)[5].lstrip(".") for line in listing.splitlines()} - {"/"}
        owners = {line.split()[1] for line in listing.splitlines()}
        self.assertEqual(owners, {"root/root"})
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
        if shutil.which("desktop-file-validate"):
            run("desktop-file-validate", entry)
        if shutil.which("appstreamcli"):
            run("appstreamcli", "validate", "--no-net",
                os.path.join(self.tree, "usr/share/metainfo/gr.rozaro.Rozaro.metainfo.xml"))

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_no_error(self):
        result = subprocess.run(["lintian", "--fail-on", "error", self.deb], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
