#!/usr/bin/python3
"""Kestrav as a screen reader sees it: the real program on a private accessibility bus.

This is the contract for every control of ours: each one that can take the keyboard has a
name; commands work through the accessibility actions; the page's own tree is there; and what
changes on the screen (the caption, the find count, the status line) is announced.

Run: tst_atspi.py path/to/kestrav   (needs Xvfb, xdotool, at-spi2-core and python3-pyatspi)"""

import sys
import unittest

from atspisession import Session

PAGE = """<!DOCTYPE html><html><head><title>Loopback test page</title></head><body>
<h1>Birds of the coast</h1>
<p>The kestrel hovers. A kestrel hunts. One more kestrel.</p>
<p><a href="/second.html">Second page</a></p>
<p><label>Your name <input type="text"></label></p>
</body></html>"""
PAGES = {
    "/page.html": (0, PAGE),
    "/second.html": (0, "<html><head><title>Second</title></head><body><p>Two</p></body></html>"),
    # Slow enough for the window to say that it is working on it.
    "/slow.html": (2, "<html><head><title>Slow page</title></head><body><p>Late</p></body></html>"),
    # A link to a port where nothing listens: fetching it fails.
    "/broken.html": (0, '<html><head><title>Broken link</title></head><body>'
                        '<a href="http://127.0.0.1:9/gone.html">Gone</a></body></html>'),
}


class Kestrav(unittest.TestCase):
    """The steps run in order, on one program, as one user's session."""

    @classmethod
    def setUpClass(cls):
        cls.s = Session(PROGRAM, PAGES).__enter__()
        cls.s.listen("object:property-change:accessible-name",
                     "object:property-change:accessible-description")

    @classmethod
    def tearDownClass(cls):
        cls.s.__exit__(None, None, None)

    def open(self, path, title):
        """Types an address into the address box, as a user does, and waits for the page."""
        s = self.s
        s.focus_frame()
        s.keys("ctrl+l")
        s.type(s.base + path)
        s.keys("Return")
        return s.wait_for(lambda: s.find(s.app, "document web", title), 30, title)

    def announced(self, kind, text, since, role):
        """The events since that index that changed a role's name or description to text."""
        field = 2 if kind == "name" else 3
        return [e for e in self.s.events[since:]
                if e[0].endswith("accessible-" + kind) and e[1] == role and text in e[field]]

    def unnamed(self, root):
        return [" > ".join(path) for node, path, _, name in self.s.walk(root)
                if not name.strip() and self.s.focusable(node)]

    def test_1_every_control_that_takes_the_keyboard_has_a_name(self):
        self.assertEqual(self.unnamed(self.s.app), [])

    def test_2_toolbar_buttons_and_menu_items_work_through_their_actions(self):
        s = self.s
        links = s.find(s.app, "frame", "Links panel")
        self.assertTrue(s.showing(links))
        s.press(s.find(s.app, "push button", "Display Favorites List"))
        s.wait_for(lambda: not s.showing(links), 10, "the favorites behind the links panel")

        # A question of ours, reached and closed with the keyboard alone: Select with an
        # empty list says so.
        s.keys("ctrl+l", "F6")  # the address box, then the favorites panel's list
        s.keys("shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "space")
        box = s.wait_for(lambda: s.find(s.app, "label", "No entry in Favorites List yet"), 10,
                         "the message box")
        self.assertEqual(self.unnamed(s.app), [])
        s.keys("Escape")
        s.wait_for(lambda: s.find(s.app, "label", "No entry in Favorites List yet") is None, 10,
                   "the message box to close")
        del box
        s.focus_frame()

        s.press(s.find(s.app, "push button", "Exit Favorites List (return to Links)"))
        s.wait_for(lambda: s.showing(links), 10, "the links panel")

        toolbar = s.find(s.app, "tool bar", "Browser toolbar")
        options = s.find(s.find(s.app, "menu bar"), "menu item", "Options")
        toolbar_item = s.find(options, "menu item", "Toolbar")
        s.press(toolbar_item)
        s.wait_for(lambda: not s.showing(toolbar), 10, "the toolbar to hide")
        s.press(toolbar_item)
        s.wait_for(lambda: s.showing(toolbar), 10, "the toolbar to show")

    def test_3_the_page_tree_is_under_the_browser_control(self):
        s = self.s
        self.open("/page.html", "Loopback test page")
        page = s.find(s.app, "filler", "Web page")
        self.assertIsNotNone(s.find(page, "heading", "Birds of the coast"))
        self.assertIsNotNone(s.find(page, "link", "Second page"))
        self.assertIsNotNone(s.find(page, "text", "Your name"))
        # The page's title is the window's name.
        s.wait_for(lambda: s.find(s.app, "frame", "Main form - [Loopback test page]"), 10,
                   "the title in the frame's name")
        self.assertEqual(self.unnamed(s.app), [])

    def test_4_the_caption_and_the_find_count_are_announced(self):
        s = self.s
        start = len(s.events)
        self.open("/slow.html", "Slow page")
        s.pump(1)
        self.assertTrue(self.announced("name", "Processing...", start, "frame"))
        self.assertTrue(self.announced("name", "Slow page", start, "frame"))

        self.open("/page.html", "Loopback test page")
        start = len(s.events)
        s.keys("ctrl+f")
        s.type("kestrel")
        s.wait_for(lambda: self.announced("description", "1 of 3", start, "text"), 10, "1 of 3")
        s.keys("F3")
        s.wait_for(lambda: self.announced("description", "2 of 3", start, "text"), 10, "2 of 3")
        self.assertTrue(self.announced("name", "2 of 3", start, "label"))
        s.type("s")
        s.wait_for(lambda: self.announced("description", "Not found", start, "text"), 10,
                   "Not found")
        s.keys("Escape")

    def test_5_the_status_line_is_announced(self):
        s = self.s
        self.open("/broken.html", "Broken link")
        start = len(s.events)
        links_menu = s.find(s.find(s.app, "menu bar"), "menu item", "Links")
        s.press(s.find(links_menu, "menu item", "List links"))
        s.wait_for(lambda: s.find(s.app, "combo box", "http://127.0.0.1:9/gone.html"), 10,
                   "the listed link")
        s.press(s.find(links_menu, "menu item", "Dispaly Link HTML doc"))
        notice = s.wait_for(lambda: self.announced("name", "gone.html", start, "label"), 30,
                            "the status line")
        self.assertIn("Could not fetch", notice[-1][2])
        s.press(s.find(links_menu, "menu item", "Restore web browser"))
        page = s.find(s.app, "filler", "Web page")
        s.wait_for(lambda: s.showing(page), 10, "the page again")

    def test_6_the_program_closes_from_the_keyboard(self):
        s = self.s
        menus = s.find(s.app, "menu bar")
        self.choose("alt+g", s.find(menus, "menu item", "Go"), "e")  # Exist closes the window
        s.wait_for(lambda: s.find(menus, "menu item", "Web browser"), 10, "the frame's own menu")
        self.choose("alt+f", s.find(menus, "menu item", "File"), "x")  # the frame's Exit
        s.wait_for(lambda: s.kestrav.poll() is not None, 30, "the program to end")
        self.assertEqual(s.kestrav.returncode, 0)

    def choose(self, opening, menu, key):
        """Opens a menu with its key, and chooses an item with its access key once it shows.
        A key that the X server drops (seldom, under load) is pressed again, as a user would."""
        s = self.s
        popup = menu.getChildAtIndex(0)
        for attempt in range(3):
            s.focus_frame()
            s.keys(opening)
            try:
                s.wait_for(lambda: s.showing(popup), 3, "the menu " + menu.name, attempt < 2)
                break
            except TimeoutError:
                continue
        s.keys(key)

if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main(verbosity=2)
