"""The shipped template library as data: templates, their property trees, and styles.

Everything under resources/AppFiles/Templates/*/flashTemplate.xml and every
resources/AppFiles/Styles/*/*/tmplSetting.txt is written from this file by
make_templates.py; the pictures the styles name are painted by make_pictures.py
from the palettes below. Edit here, then regenerate (see README.md).

Value forms the readers of these properties rely on:
- yes/no settings are lists "Yes,No" (the book configuration compares with
  "Yes" exactly, so a check box, which writes "YES"/"NO", would not do);
- button settings are lists "Show,Hide" (compared with "Hide" exactly);
- colours are "0x" followed by six lower-case hexadecimal digits.
"""

from dataclasses import dataclass, field
import re

# --- property tree --------------------------------------------------------------------------

IMAGE_FILTER = "Image Files|*.jpg;*.png;*.gif"
LOGO_FILTER = "Image Files|*.png;*.jpg;*.gif"
SOUND_FILTER = "Sound Files|*.mp3"
DOWNLOAD_FILTER = "Documents|*.pdf;*.zip;*.epub;*.doc;*.docx"
YES_NO = "Yes,No"
SHOW_HIDE = "Show,Hide"
LANGUAGES = "English,German,French,Spanish,Italian,Portuguese,Dutch"


@dataclass
class Prop:
    key: str
    type: str
    title: str
    desc: str
    value: str = ""
    source: str = ""
    children: list = field(default_factory=list)


def group(key, title, desc, children):
    return Prop(key, "pt_composite", title, desc, "", "", children)


# The twelve control buttons of the book player, in the order the player lists them.
BUTTONS = [
    ("Zoom", "Zoom button", "Lets readers enlarge a page to read small print."),
    ("TiltAngle", "Tilt button",
     "Lets readers tilt the book to look at it at an angle. Hiding it keeps the book facing "
     "the reader."),
    ("AutoPlay", "Auto flip button", "Starts and stops turning the pages automatically."),
    ("BackgroundSound", "Music button", "Switches the background music on and off."),
    ("Info", "Info button", "Shows the author information entered under Author."),
    ("Bookmark", "Bookmarks button", "Opens the list of the document's bookmarks."),
    ("Thumbnail", "Thumbnails button", "Shows small pictures of all pages to jump to one."),
    ("FullScreen", "Full screen button", "Shows the book on the whole screen."),
    ("Help", "Help button", "Shows how to turn pages, zoom and move around."),
    ("Share", "Share button", "Offers links to share the book on social networks."),
    ("Print", "Print button", "Lets readers print pages of the book."),
    ("Download", "Download button",
     "Offers the file chosen under Sharing > Download file. Show it only when a file is set."),
]


def property_tree(t):
    """The property tree of template `t` (a Template): the same keys for every template,
    with the template's own defaults."""
    d = t.defaults
    desc = lambda key, text: t.descs.get(key, text)
    buttons = [Prop(key, "pt_list", title, desc + " Show or Hide.", d.get(key, "Show"), SHOW_HIDE)
               for key, title, desc in BUTTONS]
    return [
        group("BookGroup", "Book", "The book's titles, page size, reading direction and language.", [
            Prop("Title", "pt_text", "Book title",
                 "Title shown by the book player in its title bar.", d["Title"]),
            Prop("bookTitle", "pt_text", "Mobile page title",
                 "Title of the mobile slide show page, shown in the browser's tab.", d["Title"]),
            Prop("pageWidth", "pt_number", "Page width",
                 "Width of one page in points. Importing a document sets it from the first page; "
                 "choosing another template or style keeps it.", "540"),
            Prop("pageHeight", "pt_number", "Page height",
                 "Height of one page in points. Importing a document sets it from the first page; "
                 "choosing another template or style keeps it.", "720"),
            Prop("direction", "pt_list", "Reading direction",
                 "Right: the book opens to the right and pages turn from right to left, as for "
                 "English. Left: for right-to-left languages such as Arabic or Hebrew.",
                 "Right", "Right,Left"),
            Prop("languageSetting", "pt_list", "Player language",
                 "Language of the player's buttons and tips. Choosing another template or style "
                 "keeps it.", "English", LANGUAGES),
        ]),
        group("AuthorGroup", "Author", "Who made the book; readers see it in the Info window.", [
            Prop("AuthorName", "pt_text", "Author name", "Your name or your company's name."),
            Prop("AuthorEmail", "pt_text", "E-mail address",
                 "Address readers can write to, for example name@example.com."),
            Prop("AuthorWebSite", "pt_text", "Web site",
                 "Your web site's address, beginning with https://."),
            Prop("AuthorInfo", "pt_text", "About the book",
                 "A few sentences about the book or its author. The mobile version shows it as "
                 "the book's description."),
        ]),
        group("LookGroup", "Book appearance", "Colours and shape of the book and its tool bar.", [
            Prop("BaseColor", "pt_color", "Tool bar colour",
                 "Main colour of the player's tool bar and buttons.", d["BaseColor"]),
            Prop("AutoScale", "pt_list", "Fit to window",
                 "Yes: the book grows and shrinks with the browser window. No: it keeps its size.",
                 d.get("AutoScale", "Yes"), YES_NO),
            Prop("PerPageThickness", "pt_number", "Sheet thickness",
                 "Thickness of each sheet at the book's edge, in pixels; 0 draws flat pages.",
                 d.get("PerPageThickness", "1")),
        ]),
        group("LogoGroup", "Logo", "A small picture shown in a corner of the player.", [
            Prop("LogoFile", "pt_file", "Logo picture",
                 "A PNG, JPEG or GIF picture, best about 200 x 60 pixels with a transparent "
                 "background.", "", LOGO_FILTER),
            Prop("ShowLogo", "pt_list", "Show logo", "Yes shows the logo picture; No hides it.",
                 "Yes", YES_NO),
            Prop("LogoLink", "pt_text", "Logo link",
                 "Web address opened when a reader clicks the logo in the book.", ""),
            Prop("link", "pt_text", "Logo link (mobile)",
                 "Web address opened when a reader taps the logo in the mobile version.", ""),
        ]),
        group("BackgroundGroup", "Background", "What readers see around the book.", [
            Prop("BackgroundType", "pt_list", "Background fill",
                 "Color: one colour. GradientColor: a blend from the start colour to the end "
                 "colour.", d["BackgroundType"], "GradientColor,Color"),
            Prop("Color", "pt_color", "Background colour",
                 "Colour used when the fill is Color.", d["Color"]),
            Prop("GradientStartColor", "pt_color", "Gradient start colour",
                 "First colour of the blend.", d["GradientStartColor"]),
            Prop("GradientEndColor", "pt_color", "Gradient end colour",
                 "Last colour of the blend.", d["GradientEndColor"]),
            Prop("GradientAngle", "pt_number", "Gradient angle",
                 "Direction of the blend in degrees: 90 runs from top to bottom, 0 from left to "
                 "right.", d.get("GradientAngle", "90")),
            Prop("BgType", "pt_list", "Background picture",
                 desc("BgType", "Image: show the picture below over the fill. None: show the fill "
                      "only."),
                 d.get("BgType", "None"), "Image,None"),
            Prop("ImagePath", "pt_file", "Picture file",
                 desc("ImagePath", "A JPEG, PNG or GIF picture, best at least 1600 x 1000 pixels."),
                 "", IMAGE_FILTER),
            Prop("ImgPosition", "pt_list", "Picture position",
                 "Fill: cover the window, cutting off what does not fit. Fit: show the whole "
                 "picture. Stretch: distort it to the window. Center: original size in the middle. "
                 "Tile: repeat it.", d.get("ImgPosition", "Fill"), "Fill,Fit,Stretch,Center,Tile"),
        ]),
        group("AutoFlipGroup", "Auto flip", "Turning the pages without a reader's help.", [
            Prop("Enable", "pt_list", "Flip automatically",
                 "Yes: the book starts turning its pages by itself when it opens.",
                 d.get("Enable", "No"), YES_NO),
            Prop("Interval", "pt_number", "Seconds per page",
                 "How long each spread stays before the next page turns.", "3"),
            Prop("loop", "pt_number", "Rounds",
                 "How many times auto flip goes through the book; 0 repeats without end.", "0"),
        ]),
        group("SoundGroup", "Sound", "Music and sound effects.", [
            Prop("SoundFile", "pt_file", "Background music",
                 "An MP3 file played while the book is open.", "", SOUND_FILTER),
            Prop("LoopSound", "pt_list", "Repeat music",
                 "Yes: start the music again when it ends. No: play it once.", "Yes", YES_NO),
            Prop("PlayFlipSound", "pt_list", "Page turn sound",
                 "Yes: a soft paper sound plays with every page turn.",
                 d.get("PlayFlipSound", "Yes"), YES_NO),
        ]),
        group("ButtonsGroup", "Tool bar buttons",
              "Which buttons readers see in the tool bar. Each is Show or Hide.", buttons),
        group("SharingGroup", "Sharing and statistics",
              "Visitor statistics, sharing and a file readers can download.", [
                  Prop("GoogleID", "pt_text", "Google Analytics ID",
                       "Your Google Analytics measurement ID (for example G-XXXXXXX) to count "
                       "readers of the book.", ""),
                  Prop("GoogleAnalytics", "pt_text", "Google Analytics ID (mobile)",
                       "The same kind of ID for the mobile version; usually the same value.", ""),
                  Prop("ShareID", "pt_text", "Share service ID",
                       "Your account ID with the sharing service, if you use one.", ""),
                  Prop("DownloadFile", "pt_file", "Download file",
                       "A file readers can download with the Download button, such as the "
                       "original PDF.", "", DOWNLOAD_FILTER),
              ]),
    ]


# --- templates and styles -------------------------------------------------------------------

@dataclass
class Style:
    name: str
    # Look: keys of the preset and the palette the pictures are painted with.
    base: str            # BaseColor
    start: str           # GradientStartColor
    end: str             # GradientEndColor
    color: str           # Color
    fill: str = "GradientColor"
    angle: str = "90"
    position: str = "Fill"
    thickness: str = ""  # PerPageThickness when the style changes it
    ink: str = "0xffffff"  # logo colour
    painter: str = ""    # name of the background painter in make_pictures.py
    panorama: bool = False

    def preset(self):
        """The key=value lines of the style's tmplSetting.txt, in a stable order."""
        lines = [
            ("BaseColor", self.base),
            ("BackgroundType", self.fill),
            ("Color", self.color),
            ("GradientStartColor", self.start),
            ("GradientEndColor", self.end),
            ("GradientAngle", self.angle),
            ("BgType", "Image"),
            ("ImagePath", "STYLE_RESOURCE:bg.jpg"),
            ("ImgPosition", self.position),
            ("LogoFile", "STYLE_RESOURCE:logo.png"),
            ("ShowLogo", "Yes"),
        ]
        if self.thickness:
            lines.append(("PerPageThickness", self.thickness))
        return lines

    def files(self):
        """Picture files of the style folder besides shot.jpg."""
        names = ["bg.jpg", "logo.png"]
        if self.panorama:
            names += [f + ".jpg" for f in "bdflru"]
        return names


@dataclass
class Template:
    name: str
    default_style: str
    defaults: dict
    styles: list
    descs: dict = field(default_factory=dict)  # help texts that differ from the common ones


TEMPLATES = [
    Template("float", "Blank", {
        "Title": "My Flip Book", "BaseColor": "0x4a6fa5",
        "BackgroundType": "GradientColor", "Color": "0xe9edf2",
        "GradientStartColor": "0xf4f6f9", "GradientEndColor": "0xc9d3df",
        "Download": "Hide",
    }, [
        Style("Blank", "0x4a6fa5", "0xf4f6f9", "0xc9d3df", "0xe9edf2", ink="0x34495e",
              painter="blank"),
        Style("Ocean", "0x1f6f8b", "0x3aa7c9", "0x0f3b57", "0x16506e", painter="ocean"),
        Style("Sunset", "0xc8553d", "0xf6a35b", "0x7a2e4f", "0xb5524a", ink="0xfff4e0",
              painter="sunset"),
        Style("Forest", "0x3f7d4e", "0x4f8a5b", "0x1e3b2a", "0x2d5a3c", ink="0xf3ead2",
              painter="forest"),
    ]),
    Template("Classic", "Walnut", {
        "Title": "My Flip Book", "BaseColor": "0x7b4a2e",
        "BackgroundType": "GradientColor", "Color": "0x4a2f1c",
        "GradientStartColor": "0x6b4428", "GradientEndColor": "0x2b1a0f",
        "PerPageThickness": "2", "Download": "Hide",
    }, [
        Style("Walnut", "0x7b4a2e", "0x6b4428", "0x2b1a0f", "0x4a2f1c", thickness="2",
              ink="0xf5e6c8", painter="walnut"),
        Style("Leather", "0x8c2f2f", "0x7a2424", "0x2e0d0d", "0x5a1a1a", thickness="2",
              ink="0xf0d9a8", painter="leather"),
        Style("Library", "0x2f5d46", "0x2f6b4f", "0x10261b", "0x1f4533", thickness="2",
              ink="0xf0d9a8", painter="library"),
    ]),
    Template("Minimal", "Paper", {
        "Title": "My Flip Book", "BaseColor": "0x333333",
        "BackgroundType": "Color", "Color": "0xf5f5f2",
        "GradientStartColor": "0xffffff", "GradientEndColor": "0xe6e6e1",
        "PerPageThickness": "0", "PlayFlipSound": "No",
        "TiltAngle": "Hide", "Help": "Hide", "Share": "Hide", "Print": "Hide", "Download": "Hide",
    }, [
        Style("Paper", "0x333333", "0xffffff", "0xe6e6e1", "0xf5f5f2", fill="Color",
              thickness="0", ink="0x333333", painter="paper"),
        Style("Night", "0x8fa3b8", "0x2a2f36", "0x14171b", "0x1c2026", thickness="0",
              ink="0xdfe6ee", painter="night"),
        Style("Mint", "0x2f8f83", "0xe3f4ef", "0xb5e0d6", "0xd3eee7", thickness="0",
              ink="0x1f5f57", painter="mint"),
    ]),
    Template("Panoramic", "Meadow", {
        "Title": "My Flip Book", "BaseColor": "0x2e5d87",
        "BackgroundType": "GradientColor", "Color": "0x6f9cc4",
        "GradientStartColor": "0x9cc7e8", "GradientEndColor": "0x3d6e96",
        "Download": "Hide",
    }, [
        Style("Meadow", "0x2e5d87", "0x9cc7e8", "0x5f8f4e", "0x6f9cc4", painter="meadow",
              panorama=True),
        Style("Dusk", "0x8a3f5c", "0xf0a25e", "0x3b2a4f", "0x6e4a6b", ink="0xfff0dc",
              painter="dusk", panorama=True),
        Style("Starlight", "0x3b4f8a", "0x1b2550", "0x05070f", "0x0d1330", ink="0xe6ecff",
              painter="starlight", panorama=True),
    ], {
        "BgType": "The book floats inside the 3D panorama of the chosen style. Image: where no "
                  "panorama can be shown, show the picture below over the fill instead. None: "
                  "show the fill there.",
        "ImagePath": "Flat picture used where the panorama cannot be shown. The styles set it to "
                     "their panorama unrolled; any JPEG, PNG or GIF picture will do.",
    }),
]

COLOUR = re.compile(r"^0x[0-9a-f]{6}$")


def check():
    """Cheap consistency checks of the data above; raises AssertionError."""
    for t in TEMPLATES:
        assert t.default_style in [s.name for s in t.styles], t.name
        assert len(t.styles) >= 3, t.name
        for s in t.styles:
            for k, v in s.preset():
                if k in ("BaseColor", "Color", "GradientStartColor", "GradientEndColor"):
                    assert COLOUR.match(v), (t.name, s.name, k, v)
            assert COLOUR.match(s.ink), (t.name, s.name)
        for k in ("BaseColor", "Color", "GradientStartColor", "GradientEndColor"):
            assert COLOUR.match(t.defaults[k]), (t.name, k)
