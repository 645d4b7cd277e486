#!/usr/bin/env python3
"""Writes the job corpus: manifest.txt, the inputs it names (inputs/) and the PPDs made from the
fuzz seeds (ppd/).

The cases come from the end-to-end tests' jobs (tests/e2e/), the fuzz seed corpora (fuzz/corpus/),
the sample job (samples/) and the sample PPDs (ppd/), grouped by what they cover.  The committed
manifest is what the replay reads; run this script only to change the set of cases, then record
the expected results with tests/corpus/record.sh.

Usage: tests/corpus/gen_manifest.py
"""

import hashlib
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))

FULL = "com.brantlowe.ticket."
BASIC = "com.brantlowe.basicticket."
LAYOUT_ROWS = "com.apple.print.PrintSettings.PMLayoutRows..n."
LAYOUT_COLUMNS = "com.apple.print.PrintSettings.PMLayoutColumns..n."
LAYOUT_DIRECTION = "com.apple.print.PrintSettings.PMLayoutDirection..n."

DATA = "tests/data/"
MINIMAL = b"%!PS\n"

# ---- text escapes (the same rules as replay.cpp) -------------------------------------------------


def utf8_length(data, at):
    c = data[at]
    if c & 0xE0 == 0xC0:
        n, low, cp = 2, 0x80, c & 0x1F
    elif c & 0xF0 == 0xE0:
        n, low, cp = 3, 0x800, c & 0x0F
    elif c & 0xF8 == 0xF0:
        n, low, cp = 4, 0x10000, c & 0x07
    else:
        return 0
    if at + n > len(data):
        return 0
    for k in range(1, n):
        if data[at + k] & 0xC0 != 0x80:
            return 0
        cp = (cp << 6) | (data[at + k] & 0x3F)
    if cp < low or cp > 0x10FFFF or 0xD800 <= cp <= 0xDFFF:
        return 0
    return n


def escape(data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    out = []
    i = 0
    while i < len(data):
        c = data[i]
        if c == 0x5C:
            out.append("\\\\")
        elif c == 0x0D:
            out.append("\\r")
        elif c == 0x0A:
            out.append("\\n")
        elif c == 0x09:
            out.append("\\t")
        elif c == 0x20 and i + 1 == len(data):
            out.append("\\x20")
        elif 0x20 <= c < 0x7F:
            out.append(chr(c))
        elif c >= 0x80 and utf8_length(data, i):
            n = utf8_length(data, i)
            out.append(data[i:i + n].decode("utf-8"))
            i += n - 1
        else:
            out.append("\\x%02x" % c)
        i += 1
    return "".join(out)


def b(text):
    return text.encode("utf-8") if isinstance(text, str) else text


# ---- cases ---------------------------------------------------------------------------------------

CASES = []
NAMES = set()
INPUTS = {}  # content -> corpus-relative path
INPUT_NAMES = set()
GROUP_NOTES = {}


def group(name, note):
    GROUP_NOTES[name] = note


def case(name, program="ticketfilter", ppd=None, options="", stdin=MINIMAL, file=None, **fields):
    """One job.  `stdin` and `file` are bytes (inline or stored in inputs/), an input() path, or
    None; other fields: ppd_path, user, title, copies, job, args, env, mkdir, mkfile, file_path."""
    assert name not in NAMES, name
    NAMES.add(name)
    CASES.append(dict(name=name, program=program, ppd=ppd, options=b(options), stdin=stdin,
                      file=file, **fields))


def input_file(name, content):
    """Stores `content` once in inputs/ and returns its corpus-relative path."""
    content = b(content)
    if content in INPUTS:
        return INPUTS[content]
    assert name not in INPUT_NAMES, name
    INPUT_NAMES.add(name)
    INPUTS[content] = "inputs/" + name
    return INPUTS[content]


class Lines:
    """A large input in the line form: [(line bytes, repeat)], and bytes after the last line."""

    def __init__(self, name, lines, tail=b""):
        self.path = "inputs/" + name + ".lines"
        self.lines = lines
        self.tail = tail


LINE_INPUTS = []


def lines_input(name, lines, tail=b""):
    li = Lines(name, lines, tail)
    LINE_INPUTS.append(li)
    return li


def tickets(prefix, pairs):
    """name='value' options with the ticket-key prefix (a value holds no single quote)."""
    return " ".join("%s%s='%s'" % (prefix, k, v) for k, v in pairs)


def quoted(value):
    """A value quoted for the options text: a backslash before every quote and backslash."""
    value = b(value)
    out = b"'"
    for c in value:
        if c in (0x27, 0x5C):
            out += b"\\"
        out += bytes([c])
    return out + b"'"


PPD_OUT = {}  # name -> content


def make_ppd(attributes, tail=b""):
    ppd = (b'*PPD-Adobe: "4.3"\n*FormatVersion: "4.3"\n*FileVersion: "1.0"\n'
           b'*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*Manufacturer: "Test"\n'
           b'*Product: "(Test Printer)"\n*ModelName: "Test Printer"\n'
           b'*ShortNickName: "Test Printer"\n*NickName: "Test Printer, 1.0"\n'
           b'*PSVersion: "(3010.000) 0"\n*LanguageLevel: "3"\n')
    ppd += attributes
    if not ppd.endswith(b"\n"):
        ppd += b"\n"
    ppd += (b"*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
            b"*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
            b"*PageSize A3/A3: \"<</PageSize[842 1191]>>setpagedevice\"\n*CloseUI: *PageSize\n"
            b"*OpenUI *QMColorMode/Color Mode: PickOne\n*DefaultQMColorMode: Color\n"
            b"*QMColorMode Color/Color: \"\"\n*QMColorMode Black/Black: \"\"\n"
            b"*CloseUI: *QMColorMode\n")
    return ppd + tail


def ppd_file(name, content):
    PPD_OUT[name] = content
    return "tests/corpus/ppd/" + name


# The four program-printer pairs of the end-to-end tests: only ticketfilter on a UTF-8 printer
# works in UTF-8 mode.
PRINTERS = [
    ("tf-utf8", "ticketfilter", FULL, DATA + "utf8.ppd"),
    ("tf-byte", "ticketfilter", FULL, DATA + "bytemode.ppd"),
    ("basic-utf8", "ticketfilter-basic", BASIC, DATA + "utf8.ppd"),
    ("basic-byte", "ticketfilter-basic", BASIC, DATA + "bytemode.ppd"),
]


def on_printers(name, pairs, extra="", **fields):
    for label, program, prefix, ppd in PRINTERS:
        options = tickets(prefix, pairs)
        if extra:
            options = (extra + " " + options).strip()
        case("%s/%s" % (name, label), program, ppd, options, **fields)


YAMADA = "山田"
INJECTION_TEXT = 'x"\n@PJL SET EVIL=1'
INJECTION_LIST = "/120/34/10/64/80/74/76"

# ---- print type ----------------------------------------------------------------------------------

group("printtype", "secure, sample, delayed and mailbox print, job names; both programs, both "
      "encodings")
for name, pairs in [
    ("secure", [("PrintTypeTicketKey", "2"), ("PrintTypeUserNameTicketKey", "abc"),
                ("PrintTypePasswordTicketKey", "1234"), ("DocumentNameTypeTicketKey", "2"),
                ("DocumentNameTicketKey", "Report")]),
    ("secure-no-password", [("PrintTypeTicketKey", "2"), ("PrintTypeUserNameTicketKey", "abc")]),
    ("secure-no-user", [("PrintTypeTicketKey", "2"), ("PrintTypePasswordTicketKey", "1234")]),
    ("sample", [("PrintTypeTicketKey", "3"), ("PrintTypeUserNameTicketKey", "abc"),
                ("DocumentNameTypeTicketKey", "2"), ("DocumentNameTicketKey", "Proof")]),
    ("delayed", [("PrintTypeTicketKey", "4"), ("PrintTypeUserNameTicketKey", "abc"),
                 ("DelayPrintTicketKey", "0930"), ("DocumentNameTypeTicketKey", "2"),
                 ("DocumentNameTicketKey", "Night")]),
    ("normal", [("PrintTypeTicketKey", "1"), ("PrintTypeUserNameTicketKey", "abc"),
                ("PrintTypePasswordTicketKey", "1234"), ("DelayPrintTicketKey", "0930"),
                ("PrintTypeMBNTicketKey", "12"), ("DocumentNameTypeTicketKey", "2"),
                ("DocumentNameTicketKey", "Night")]),
    ("no-print-type", [("PrintTypeUserNameTicketKey", "abc"), ("DocumentNameTypeTicketKey", "2"),
                       ("DocumentNameTicketKey", "Plain")]),
    ("mailbox", [("PrintTypeTicketKey", "5"), ("PrintTypeMBNTicketKey", "12"),
                 ("PrintTypeUserNameTicketKey", "abc")]),
    ("mailbox-password", [("PrintTypeTicketKey", "5"), ("PrintTypeMBNTicketKey", "12"),
                          ("PrintTypeMBNPasswordTicketKey", "secret"),
                          ("DocumentNameTypeTicketKey", "2"), ("DocumentNameTicketKey", "Box")]),
    ("mailbox-empty-number", [("PrintTypeTicketKey", "5"), ("PrintTypeMBNTicketKey", "")]),
    ("mailbox-long-number", [("PrintTypeTicketKey", "5"), ("PrintTypeMBNTicketKey", "123456")]),
    ("japanese-names", [("PrintTypeTicketKey", "3"), ("PrintTypeUserNameTicketKey", YAMADA),
                        ("DocumentNameTypeTicketKey", "2"), ("DocumentNameTicketKey", YAMADA)]),
    ("long-user-japanese", [("PrintTypeTicketKey", "3"),
                            ("PrintTypeUserNameTicketKey", "山" * 30)]),
    ("long-user-ascii", [("PrintTypeTicketKey", "3"), ("PrintTypeUserNameTicketKey", "u" * 80)]),
    ("injection-text", [("PrintTypeTicketKey", "2"), ("PrintTypeUserNameTicketKey", INJECTION_TEXT),
                        ("PrintTypePasswordTicketKey", INJECTION_TEXT),
                        ("DocumentNameTypeTicketKey", "2"),
                        ("DocumentNameTicketKey", INJECTION_TEXT)]),
    ("injection-list", [("PrintTypeTicketKey", "2"), ("PrintTypeUserNameTicketKey", INJECTION_LIST),
                        ("PrintTypePasswordTicketKey", INJECTION_LIST),
                        ("DocumentNameTypeTicketKey", "2"),
                        ("DocumentNameTicketKey", INJECTION_LIST)]),
    ("unsafe-only-delay", [("PrintTypeTicketKey", "4"), ("DelayPrintTicketKey", "/34/10/13")]),
]:
    on_printers("printtype/" + name, pairs)
TITLE_TICKETS = [("PrintTypeTicketKey", "3"), ("PrintTypeUserNameTicketKey", "abc"),
                 ("DocumentNameTypeTicketKey", "1"), ("DocumentNameTicketKey", "typed")]
on_printers("printtype/job-name-from-title", TITLE_TICKETS, title="Quarterly")
on_printers("printtype/title-with-line-break", TITLE_TICKETS, title="two\nlines")
on_printers("printtype/japanese-title", TITLE_TICKETS, title="山田太郎の報告書")

# ---- account -------------------------------------------------------------------------------------

group("account", "account (JBA) rows: every-job rows, user, administrator and job-entered modes, "
      "infoList and infoSetList, N-up text, field bounds, injection; both programs and encodings")
USER_LOGIN = [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
              ("JBAUserIDListCtrlTicket", "1"), ("JBAInfoListTicketKey", "0"),
              ("JBAUserIDTextEditTicket", "")]
TYPED = [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
         ("JBAUserIDListCtrlTicket", "2"), ("JBAUserIDTextEditTicket", "u42"),
         ("JBAUserPasswordTextEditTicket", "pw"), ("JBADomainNameTextEditTicket", "corp"),
         ("JBAAccountIDTextEditTicket", "7001"), ("JBAStorageIDTextEditTicket", "box9"),
         ("JBAStoragePasswordTextEditTicket", "sp")]
INFO_BASE = [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
             ("JBAUserIDListCtrlTicket", "1"), ("JBAUserIDTextEditTicket", ""),
             ("JBAAccountIDTextEditTicket", "7001")]
ADMIN = [("JBAManageTypeListTicketKey", "1"), ("JBAAdminUserSettingRadioBtnTicket", "1"),
         ("JBAAdminUserIDListCtrlTicket", "2"), ("JBAAdminUserIDTextEditTicket", "boss"),
         ("JBAAdminUserPasswordTextEditTicket", "pw"), ("JBAAdminAccountIDTextEditTicket", "900"),
         ("JBAUserSettingRadioBtnTicket", "1"), ("JBAUserIDListCtrlTicket", "2"),
         ("JBAUserIDTextEditTicket", "someone")]
JOB_INPUT = [("JBAManageTypeListTicketKey", "2"), ("JBAUserInputRadioBtnTicket", "1"),
             ("JBAInputAuthRadioBtnTicketKey", "1"), ("JBAInputStrgRadioBtnTicketKey", "1"),
             ("JBAInfoListTicketKey", "1"), ("JBAUserIDTextEditTicket", ""),
             ("JBAInputUserIDTextEditTicket", "jdoe"),
             ("JBAInputUserPasswordTextEditTicket", "pw"),
             ("JBAInputDomainNameTextEditTicket", "dom"),
             ("JBAInputAccountIDTextEditTicket", "42"),
             ("JBAInputStorageIDTextEditTicket", "st1"),
             ("JBAInputStoragePasswordTextEditTicket", "sp")]
TYPED_SHORT = [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
               ("JBAUserIDListCtrlTicket", "2"), ("JBAUserIDTextEditTicket", "a" * 120),
               ("JBAAccountIDTextEditTicket", "1")]
on_printers("account/every-job", [])
on_printers("account/no-user-name", [], user="")
on_printers("account/user-mode-login", USER_LOGIN)
on_printers("account/user-mode-login-without-user-id", USER_LOGIN[:-1])
on_printers("account/user-mode-typed", TYPED)
for info, info_set in [("1", "8"), ("2", "0"), ("1", "0"), ("3", "0")]:
    on_printers("account/info-list-%s-set-%s" % (info, info_set),
                INFO_BASE + [("JBAInfoListTicketKey", info), ("JBAInfoSetListTicketKey", info_set)])
on_printers("account/administrator-mode", ADMIN)
on_printers("account/job-input-authentication-storage", JOB_INPUT)
on_printers("account/job-input-hidden", JOB_INPUT + [("JBAInfoSetListTicketKey", "8")])
on_printers("account/nup-number-up", [], extra="number-up=4")
on_printers("account/nup-layout", [], extra="%s=2 %s=3" % (LAYOUT_ROWS, LAYOUT_COLUMNS))
on_printers("account/nup-number-up-and-layout", [], extra="number-up=2 %s=3" % LAYOUT_ROWS)
on_printers("account/long-user-id", TYPED_SHORT)
on_printers("account/long-password", TYPED_SHORT + [("JBAUserPasswordTextEditTicket", "p" * 300)])
on_printers("account/japanese-user-id",
            [(k, "山" * 40 if k == "JBAUserIDTextEditTicket" else v) for k, v in TYPED_SHORT])
for label, value in [("text", INJECTION_TEXT), ("list", INJECTION_LIST)]:
    on_printers("account/injection-" + label,
                [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
                 ("JBAUserIDListCtrlTicket", "2"), ("JBAUserIDTextEditTicket", value),
                 ("JBADomainNameTextEditTicket", value), ("JBAAccountIDTextEditTicket", value)])
on_printers("account/injection-user-and-title",
            [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
             ("JBAUserIDListCtrlTicket", "1")],
            user='tux"\n@PJL SET EVIL=1', title='doc"\x1b%-12345X')
on_printers("account/host-tickets", [("JBAIPAddressStringTicket", "1"),
                                     ("JBAMacHostNameStringTicket", "client")])
# A value longer than its line is cut by the characters of its own encoding: the passwords are
# Shift-JIS on every printer, the user IDs and login names UTF-8 on a UTF-8 printer.
LONG_PASSWORD = "a" + "あ" * 127
on_printers("account/cut-by-own-encoding/user-mode-typed",
            [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
             ("JBAUserIDListCtrlTicket", "2"), ("JBAUserIDTextEditTicket", "u42"),
             ("JBAUserPasswordTextEditTicket", LONG_PASSWORD)])
on_printers("account/cut-by-own-encoding/administrator-mode",
            [("JBAManageTypeListTicketKey", "1"), ("JBAAdminUserSettingRadioBtnTicket", "1"),
             ("JBAAdminUserIDListCtrlTicket", "2"), ("JBAAdminUserIDTextEditTicket", "boss"),
             ("JBAAdminUserPasswordTextEditTicket", LONG_PASSWORD)])
on_printers("account/cut-by-own-encoding/job-input",
            [("JBAManageTypeListTicketKey", "2"), ("JBAUserInputRadioBtnTicket", "1"),
             ("JBAInputAuthRadioBtnTicketKey", "1"), ("JBAInputUserIDTextEditTicket", "jdoe"),
             ("JBAInputUserPasswordTextEditTicket", LONG_PASSWORD)])
on_printers("account/cut-by-own-encoding/typed-user-id",
            [("JBAManageTypeListTicketKey", "2"), ("JBAUserSettingRadioBtnTicket", "1"),
             ("JBAUserIDListCtrlTicket", "2"), ("JBAUserIDTextEditTicket", "あ" * 60),
             ("JBAUserPasswordTextEditTicket", "い" * 150)])
on_printers("account/cut-by-own-encoding/login-user", [], user="あ" * 300)

# ---- names ---------------------------------------------------------------------------------------

group("names", "login user and document names: conversion to the printer encoding (UTF-8 or "
      "Shift-JIS X 0213), bounds, invalid bytes")
NAME_TICKETS = [("PrintTypeTicketKey", "3"), ("PrintTypeUserNameTicketKey", "abc"),
                ("DocumentNameTypeTicketKey", "1")]
on_printers("names/japanese-login-user", [], user=YAMADA)
on_printers("names/long-login-user", NAME_TICKETS, user="L" * 800)
on_printers("names/long-japanese-login-user", NAME_TICKETS, user="東" * 300)
on_printers("names/invalid-utf8-login-user", [], user=b"ab\xff\xfecd")
on_printers("names/long-japanese-title", NAME_TICKETS, title="山" * 120)
on_printers("names/x0213-and-halfwidth", NAME_TICKETS + [("DocumentNameTicketKey", "x")],
            user="①髙ｶﾀｶﾅ", title="①髙﨑ｶﾀｶﾅ")
on_printers("names/typed-document-name-long", [("PrintTypeTicketKey", "3"),
                                               ("PrintTypeUserNameTicketKey", "abc"),
                                               ("DocumentNameTypeTicketKey", "2"),
                                               ("DocumentNameTicketKey", "文" * 100)])

# ---- finishing -----------------------------------------------------------------------------------

group("finishing", "finishing rows (tab margin, trimmer, mixed document, offset, count, output "
      "face) and the PostScript blocks (separator pages, image shift, automatic fit) at 1-up and "
      "N-up")
DOCUMENT = input_file(
    "nup-document.ps",
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def\n%%EndProlog\n%%BeginSetup\n"
    "userdict/setpagedevice{pop}bind put\n%%EndSetup\n"
    "%%Page: 1 1\nbp\n(one) show\nep\n%%Page: 2 2\nbp\n(two) show\nep\n%%EOF\n")
PLAIN = DATA + "plain.ppd"
ALL_ROWS = [("EjectOptionsListTicket", "5"), ("OffsetStackingListTicket", "4"),
            ("OffsetStackingPagesLArrowTicket", "25"), ("NumInSequenceSwitchTicket", "1"),
            ("NumInSequenceLArrowTicket", "100"), ("TrimmerSwitchTicket", "1"),
            ("TrimmerMMCuttingSizeTicket", "3"), ("TabMarginSwitchTicket", "1"),
            ("TabMarginMMShiftTicket", "13")]
for label, program, prefix, ppd in [("tf", "ticketfilter", FULL, PLAIN),
                                    ("basic", "ticketfilter-basic", BASIC, PLAIN),
                                    ("tf-utf8", "ticketfilter", FULL, DATA + "utf8.ppd"),
                                    ("basic-byte", "ticketfilter-basic", BASIC,
                                     DATA + "bytemode.ppd")]:
    case("finishing/rows/all/" + label, program, ppd, tickets(prefix, ALL_ROWS), stdin=DOCUMENT)
case("finishing/rows/off-and-other-program-keys", "ticketfilter", PLAIN,
     tickets(FULL, [("TabMarginSwitchTicket", "0"), ("TrimmerSwitchTicket", "0"),
                    ("NumInSequenceSwitchTicket", "0"), ("OffsetStackingListTicket", "5"),
                    ("OffsetStackingUnitsLArrowTicket", "2")]) + " " +
     tickets(BASIC, [("EjectOptionsListTicket", "2")]), stdin=DOCUMENT)
FACE_CASES = [
    ("1", "CoilPunch", "true", "false", "0"), ("1", "CoilPunch", "true", "true", "0"),
    ("1", "CoilPunch", "true", "false", "1"), ("1", "CoilPunch", "true", "true", "1"),
    ("1", "CoilPunch", "true", "maybe", "0"), ("1", "CoilPunch", "true", None, "1"),
    ("1", "CoilPunch", "true", "true", "2"), ("1", "CoilPunch", "true", "false", None),
    ("1", "XCoilY", "true", "false", "0"), ("1", "2Holes", "true", "maybe", "7"),
    ("1", None, "true", None, None), ("1", "CoilPunch", "false", "true", "1"),
    ("1", None, "false", None, None), ("1", "CoilPunch", "True", "false", "0"),
    ("1", "2Holes", None, "false", "0"), ("2", "CoilPunch", "true", "true", "1"),
    ("3", None, None, None, None), ("4", None, None, None, None), ("5", None, None, None, None),
    ("6", "CoilPunch", "true", "true", "1"), ("0", "CoilPunch", "false", "true", "1"),
]
for i, (choice, holes, coil, features_tab, special_tab) in enumerate(FACE_CASES):
    options = FULL + "EjectOptionsListTicket=" + choice
    if holes:
        options += " QMNumPunchHoles=" + holes
    if coil:
        options += " " + FULL + "CoilPunchFaceTicket=" + coil
    if features_tab:
        options += " " + FULL + "featuresMediaTypeTabTicket=" + features_tab
    if special_tab:
        options += " " + FULL + "whetherMediaTypeTabTicket=" + special_tab
    case("finishing/face/%02d-choice-%s" % (i + 1, choice), "ticketfilter", PLAIN, options,
         stdin=DOCUMENT)

BLOCKS = [("SeparatorPageListTicket", "0"), ("SeparatorPageTicket", "/50/32/53"),
          ("BookletMarginSwitchTicket", "1"), ("BookletMarginMMShiftTicket", "-3"),
          ("AutoFitSwitchTicket", "1")]


def layout(rows, columns):
    return "%s=%s %s=%s" % (LAYOUT_ROWS, rows, LAYOUT_COLUMNS, columns)


for label, program, prefix in [("tf", "ticketfilter", FULL), ("basic", "ticketfilter-basic", BASIC)]:
    case("finishing/blocks/1-up/" + label, program, PLAIN, tickets(prefix, BLOCKS), stdin=DOCUMENT)
    case("finishing/blocks/4-up/" + label, program, PLAIN,
         tickets(prefix, BLOCKS) + " " + layout(2, 2), stdin=DOCUMENT)
    case("finishing/blocks/9-up-on-utf8/" + label, program, DATA + "utf8.ppd",
         tickets(prefix, BLOCKS) + " " + layout(3, 3), stdin=DOCUMENT)
case("finishing/blocks/none", "ticketfilter", PLAIN, "", stdin=DOCUMENT)
case("finishing/blocks/layout-1x1", "ticketfilter", PLAIN, tickets(FULL, BLOCKS) + " " + layout(1, 1),
     stdin=DOCUMENT)
case("finishing/blocks/layout-negative", "ticketfilter", PLAIN,
     tickets(FULL, BLOCKS) + " " + layout(-1, 2), stdin=DOCUMENT)
case("finishing/blocks/number-up-4", "ticketfilter", PLAIN, tickets(FULL, BLOCKS) + " number-up=4",
     stdin=DOCUMENT)
case("finishing/blocks/2-up-separators-only", "ticketfilter", PLAIN,
     tickets(FULL, BLOCKS[:2]) + " " + layout(1, 2), stdin=DOCUMENT)
case("finishing/blocks/shift-only", "ticketfilter", PLAIN,
     tickets(FULL, [("BookletMarginSwitchTicket", "1"), ("BookletMarginMMShiftTicket", "12.5")]),
     stdin=DOCUMENT)
SEPARATOR_LIST = ("10 " * 32)[:96] + "200"
case("finishing/blocks/separator-list-99-bytes", "ticketfilter", PLAIN,
     FULL + "SeparatorPageListTicket=0 " + FULL + "SeparatorPageTicket='" + SEPARATOR_LIST + "'",
     stdin=b"%%EndProlog\n")
case("finishing/blocks/separator-list-unsafe", "ticketfilter", PLAIN,
     tickets(FULL, [("SeparatorPageListTicket", "0"),
                    ("SeparatorPageTicket", "/49/10/113/117/105/116")]), stdin=b"%%EndProlog\n")

# ---- booklet -------------------------------------------------------------------------------------

group("booklet", "booklet lines (DIND, DIBB, DIBK): printers that take them, signature choices")
case("booklet/divided-left", "ticketfilter", DATA + "utf8.ppd",
     "QMSignature=LeftSigFold QMSigVol=5Sheets number-up=2 " + FULL +
     "EjectOptionsListTicket=3 QMColorMode=Color")
for program in ("ticketfilter", "ticketfilter-basic"):
    short = "tf" if program == "ticketfilter" else "basic"
    for ppd in ("utf8", "utf8-nocomment", "bytemode", "plain", "model-code"):
        case("booklet/printers/%s/%s" % (short, ppd), program, DATA + ppd + ".ppd",
             "QMSignature=RightSig orientation-requested=4")
for i, (ppd, options) in enumerate([
        ("utf8", ""), ("utf8-booklet", ""), ("utf8", "QMSignature=None QMSigVol=10Sheets"),
        ("utf8-booklet", "QMSignature=RightSigCenterStaple number-up=6"),
        ("utf8", "QMSignature=Other QMSigVol=3"),
        ("utf8-booklet", "QMSignature=LeftSig QMSigVol=20Sheets orientation-requested=3")]):
    case("booklet/signature/%02d-%s" % (i + 1, ppd), "ticketfilter", DATA + ppd + ".ppd", options)
case("booklet/basic-on-utf8-booklet", "ticketfilter-basic", DATA + "utf8-booklet.ppd",
     "QMSignature=LeftSigCenterStaple QMSigVol=10Sheets number-up=2")

# ---- perfect binding -----------------------------------------------------------------------------

group("pbind", "perfect binding: trimming, finished sizes, adjustments with their sign rules, "
      "cover, injection; both programs")
UTF8 = DATA + "utf8.ppd"
for i, options in enumerate([
        "QMPBindPageSize=A4 QMPBindTrimming=1EdgeCut",
        "QMPBindPosition=None QMPBindPageSize=A4 QMPBindCoverPageSize=DL",
        "QMPBindPosition=BindLeft QMPBindTrimming=None QMPBindPageSize=A4",
        "QMPBindPosition=BindLeft QMPBindTrimming=None QMPBindPageSize=A4 "
        "QMPBindCutPositionFore=9mm QMPBindCutPageSize=A5",
        "QMPBindPosition=BindLeft QMPBindTrimming=1EdgeCutMinimum QMPBindPageSize=A4 "
        "QMPBindCutPositionTop=20mm",
        "QMPBindPosition=BindLeft QMPBindTrimming=3EdgeCutMinimum QMPBindPageSize=A4",
        "QMPBindPosition=BindRight QMPBindTrimming=1EdgeCut QMPBindPageSize=A4 "
        "QMPBindCutPositionFore=10mm QMPBindCutPositionTop=5mm",
        "QMPBindPosition=BindTop QMPBindTrimming=3EdgeCut QMPBindPageSize=Letter "
        "QMPBindCutPositionFore=10mm QMPBindCutPositionTop=5mm",
        "QMPBindPosition=BindLeft QMPBindTrimming=3EdgeSpecifySize QMPBindPageSize=A4 "
        "QMPBindCutPageSize=A5 QMPBindCutPositionFore=10mm",
        "QMPBindPosition=BindRight QMPBindTrimming=1EdgeSpecifySize QMPBindPageSize=Tabloid "
        "QMPBindCutPageSize=Letter",
        "QMPBindPosition=BindLeft QMPBindPageSize=A4 QMPBindCutPositionFore=5mm "
        "QMPBindCutPositionTop=3mm",
        "QMPBindPosition=BindLeft QMPBindPageSize=A4 QMPBindCutPositionFore=5mm",
        "QMPBindPosition=BindLeft QMPBindPageSize=A4 QMPBindCutPositionTop=3mm",
        "QMPBindPosition=BindLeft QMPBindTrimming=None QMPBindPageSize=A4 "
        "QMPBindCoverPageSize=DL QMPBindCoverMediaType=CoatingPaper1A "
        "QMPBindCoverMediaColor=Goldenrod QMPBindCoverPaperTray=PBindInserter",
        "QMPBindPosition=BindLeft QMPBindTrimming=None QMPBindCoverPaperTray=A3",
        "QMPBindPosition='Left\"' QMPBindTrimming=/78/10/64/80/74/76/32/69/79/74 "
        "QMPBindPageSize=A4 QMPBindCoverMediaColor=/87/104/105/116/101/27/69"]):
    case("pbind/options/%02d" % (i + 1), "ticketfilter", UTF8, options)
ADJUSTMENTS = (" QMPBindTrimming=None QMPBindPageSize=A4 QMPBindCutPageAdjustmentFore=1 "
               "QMPBindCutPageAdjustmentTB=-2 QMPBindRotationAdjustTop=3 "
               "QMPBindRotationAdjustBot=4 QMPBindRotationAdjustFore=5 QMPBindCoverAdjustX=3 "
               "QMPBindCoverAdjustY=3 QMPBindCutPositionAdjustmentTB=6")
for edge in ("BindLeft", "BindRight", "BindTop"):
    case("pbind/adjustments/" + edge, "ticketfilter", UTF8, "QMPBindPosition=" + edge + ADJUSTMENTS)
BASIC_PBIND = ("QMPBindPosition=BindRight QMPBindTrimming=3EdgeSpecifySize QMPBindPageSize=A4 "
               "QMPBindCutPageSize=A5 QMPBindCoverPageSize=DL QMPBindCoverAdjustX=3")
case("pbind/programs/tf", "ticketfilter", UTF8, BASIC_PBIND)
case("pbind/programs/basic", "ticketfilter-basic", UTF8, BASIC_PBIND)
case("pbind/programs/tf-byte", "ticketfilter", DATA + "bytemode.ppd", BASIC_PBIND)
case("pbind/programs/basic-byte", "ticketfilter-basic", DATA + "bytemode.ppd", BASIC_PBIND)
case("pbind/sample-ppd", "ticketfilter", "ppd/tf-color-utf8.ppd", BASIC_PBIND)

# ---- special pages -------------------------------------------------------------------------------

group("specialpage", "the special-pages XML job ticket: covers, inserted sheets, page exceptions, "
      "skipping rules, field bounds, markup and control bytes; both programs and encodings")


def sp(name, value, prefix=FULL):
    return " %s%s=%s" % (prefix, name, value)


def special(name, options, program="ticketfilter", ppd=UTF8):
    case("specialpage/" + name, program, ppd, options.strip())


special("none/no-tickets", "")
special("none/zero-counts", sp("KPIFCoverCountTicket", "0") + sp("KPIFInsertionCountTicket", "0") +
        sp("KPIFExceptionCountTicket", "0") + sp("KPIFCoverValueTicket_0", "0,0,T,N"))
special("none/negative-counts", sp("KPIFCoverCountTicket", "-1") + sp("KPIFInsertionCountTicket", "-5"))
special("cover/one", sp("KPIFCoverCountTicket", "1") + sp("KPIFCoverValueTicket_0", "0,0,front,Tab"))
special("cover/variants", sp("KPIFCoverCountTicket", "5") +
        sp("KPIFCoverValueTicket_0", "0,0,printed-front,Cover-Stock") +
        sp("KPIFCoverValueTicket_1", "0,1,no-print,Stationary,white,21000,29700") +
        sp("KPIFCoverValueTicket_2", "1,0,printed-back,Tab") +
        sp("KPIFCoverValueTicket_3", "1,1,printed-both,ThickPaper,blue,27940,43180") +
        sp("KPIFCoverValueTicket_4", "0,7,ignored,Name"))
special("insertion/variants", sp("KPIFInsertionCountTicket", "3") +
        sp("KPIFInsertionValueTicket_0", "0,3,1,Interposer-Stock") +
        sp("KPIFInsertionValueTicket_1", "2,5,1,Blue,21000,29700,Stationary") +
        sp("KPIFInsertionValueTicket_2", "1,10,2,yellow,21000,29700,Colored"))
special("exception/variants", sp("KPIFExceptionCountTicket", "3") +
        sp("KPIFExceptionValueTicket_0", "0,1,1,2,4,one-sided,Tab-Stock") +
        sp("KPIFExceptionValueTicket_1", "1,1,2,5,9,two-sided-long-edge,Glossy,red,21000,29700") +
        sp("KPIFExceptionValueTicket_2", "x,1,1,1,1,one-sided,Skipped"))
special("lists-in-their-order", sp("KPIFExceptionValueTicket_0", "0,1,1,3,3,one-sided,E") +
        sp("KPIFInsertionValueTicket_0", "0,2,1,I") + sp("KPIFCoverValueTicket_1", "1,0,back,B") +
        sp("KPIFCoverValueTicket_0", "0,0,front,F") + sp("KPIFExceptionCountTicket", "1") +
        sp("KPIFInsertionCountTicket", "1") + sp("KPIFCoverCountTicket", "2"))
special("skip/insertion-count-without-values", sp("KPIFInsertionCountTicket", "2"))
special("skip/cover-bad-source", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "2,0,T,N"))
special("skip/cover-empty-value", sp("KPIFCoverCountTicket", "1") + sp("KPIFCoverValueTicket_0", "''"))
special("skip/negative-count-others-count", sp("KPIFCoverCountTicket", "-2") +
        sp("KPIFCoverValueTicket_0", "0,0,T,N") + sp("KPIFExceptionCountTicket", "1"))
INDICES = (sp("KPIFCoverCountTicket", "2") + sp("KPIFCoverValueTicket_1", "1,0,one,B") +
           sp("KPIFCoverValueTicket_2", "0,0,two,X") + sp("KPIFCoverValueTicket_01", "0,0,zero1,X") +
           sp("KPIFCoverValueTicket_+0", "0,0,plus,X") + sp("KPIFCoverValueTicket_", "0,0,e,X"))
special("indices/decimal-below-count", INDICES)
special("indices/case-insensitive-names", INDICES + sp("kpifCoverValueTICKET_0", "0,0,zero,Z"))
special("huge-counts", sp("KPIFCoverCountTicket", "2147483647") +
        sp("KPIFInsertionCountTicket", "2147483647") + sp("KPIFExceptionCountTicket", "2147483647") +
        sp("KPIFInsertionValueTicket_2147483646", "0,9,1,Last") +
        sp("KPIFInsertionValueTicket_7", "0,2,1,Seventh"))
special("missing-fields/cover-interposer", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "0,0,T"))
special("missing-fields/cover-media", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "1,1,K,M"))
special("missing-fields/insertion", sp("KPIFInsertionCountTicket", "1") +
        sp("KPIFInsertionValueTicket_0", "1,4"))
special("missing-fields/exception", sp("KPIFExceptionCountTicket", "1") +
        sp("KPIFExceptionValueTicket_0", "0,1,2"))
special("empty-fields/cover", sp("KPIFCoverCountTicket", "1") + sp("KPIFCoverValueTicket_0", "0,0,,N"))
special("empty-fields/exception", sp("KPIFExceptionCountTicket", "1") +
        sp("KPIFExceptionValueTicket_0", "1,,,,,,,,,"))
special("markup-in-values", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "0,0,</cover-type><evil>x</evil><cover-type>,a&b>c") +
        sp("KPIFInsertionCountTicket", "1") +
        sp("KPIFInsertionValueTicket_0", "0,1,1,</media-type></media-col></value><value>"))
special("quotes-and-control-bytes", sp("KPIFCoverCountTicket", "1") + sp(
    "KPIFCoverValueTicket_0", "/48/44/48/44/65/34/39/10/9/27/66/44/78/13/127/239/191/190/194/133/120"))
special("encoded-value", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "/49/44/48/44/84/44/77"))
special("invalid-bytes", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "/48/44/48/44/130/160"))
LONG_FIELDS_PAIRS = [("KPIFCoverCountTicket", "3"),
                     ("KPIFCoverValueTicket_0", "0,0," + "a" * 49 + "bcdef,next"),
                     ("KPIFCoverValueTicket_1", "1,0," + "a" * 48 + "é,e"),
                     ("KPIFCoverValueTicket_2", "0,0," + "あ" * 17 + ",h")]
for label, program, prefix, ppd in PRINTERS:
    special("long-fields/" + label, " " + tickets(prefix, LONG_FIELDS_PAIRS), program, ppd)
FULL_SP = sp("KPIFCoverCountTicket", "1") + sp("KPIFCoverValueTicket_0", "0,0,full,F")
BASIC_SP = (sp("KPIFCoverCountTicket", "1", BASIC) +
            sp("KPIFCoverValueTicket_0", "0,0,basic,B", BASIC))
special("prefix/tf-both-prefixes", FULL_SP + BASIC_SP)
special("prefix/basic-both-prefixes", FULL_SP + BASIC_SP, "ticketfilter-basic")
special("prefix/basic-full-prefix-only", FULL_SP, "ticketfilter-basic")
special("diagnostic-without-text", sp("KPIFInsertionCountTicket", "1") +
        sp("KPIFInsertionValueTicket_0", "/10/69/82/82/79/82/58/32/120/44/49"))
special("with-job-header-and-watermark", sp("KPIFCoverCountTicket", "1") +
        sp("KPIFCoverValueTicket_0", "0,0,front,Tab") + " " +
        tickets(FULL, [("PrintTypeTicketKey", "2"), ("PrintTypeUserNameTicketKey", "abc"),
                       ("PrintTypePasswordTicketKey", "1234"), ("WMARKTypeTicket", "0"),
                       ("WMARKNameTicket", "Draft"), ("WMARKTextTicket", "(DRAFT)")]))

# ---- watermark -----------------------------------------------------------------------------------

group("watermark", "the watermark: procedures after %%BeginProlog, drawing before ep, endp and "
      "the showpage that closes a page, first page only, angles and orientations, fonts and "
      "texts; both modes and programs")
WM_BASE = [("Name", "Confidential"), ("Type", "0"), ("OnlyFirst", "0"), ("Text", "(Secret)"),
           ("Orientation", "1"), ("PaperWidth", "595"), ("PaperHeight", "842"), ("Width", "200"),
           ("Height", "50"), ("Angle", "0"), ("hOffset", "0"), ("vOffset", "0"),
           ("Font", "Helvetica"), ("FontSize", "48"), ("ColorR", "1"), ("ColorG", "0"),
           ("ColorB", "0"), ("Density", "50")]


def wm(prefix=FULL, **changes):
    settings = [(k, changes.get(k, v)) for k, v in WM_BASE]
    return " ".join("%sWMARK%sTicket=%s" % (prefix, k, v) for k, v in settings)


PAGES = input_file(
    "ep-pages.ps",
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def\n%%EndProlog\n"
    "%%Page: 1 1\nbp\n%%EndPageSetup\n(one) show\nep\n"
    "%%Page: 2 2\nbp\n%%EndPageSetup\n(two) show\nep\n"
    "%%Page: 3 3\nbp\n%%EndPageSetup\n(three) show\nep\n%%EOF\n")
PSTOPS = input_file(
    "showpage-pages.ps",
    "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%BeginProlog\n/F {} def\n%%EndProlog\n"
    "%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\nF (one) show\nshowpage\n"
    "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\nF (two) show\nshowpage\n"
    "%%Trailer\n%%EOF\n")
for label, program, prefix, ppd in [("tf", "ticketfilter", FULL, PLAIN),
                                    ("basic", "ticketfilter-basic", BASIC, PLAIN),
                                    ("tf-utf8", "ticketfilter", FULL, UTF8),
                                    ("basic-utf8", "ticketfilter-basic", BASIC, UTF8),
                                    ("basic-byte", "ticketfilter-basic", BASIC,
                                     DATA + "bytemode.ppd")]:
    case("watermark/ep/every-page/" + label, program, ppd, wm(prefix), stdin=PAGES)
case("watermark/ep/first-page-only", "ticketfilter", PLAIN, wm(OnlyFirst="1"), stdin=PAGES)
case("watermark/ep/decomposition", "ticketfilter", DATA + "decomp-color.ppd", wm(), stdin=PAGES)
case("watermark/endp/every-page", "ticketfilter", PLAIN, wm(), stdin=b"%!PS\nbp\nendp\nbp\nendp\n")
case("watermark/endp/basic-first-page-only", "ticketfilter-basic", PLAIN, wm(BASIC, OnlyFirst="1"),
     stdin=b"%!PS\nbp\nendp\nbp\nendp\n")
for i, (orientation, angle, h, v) in enumerate([
        ("1", "0", "0", "0"), ("2", "0", "0", "0"), ("1", "45", "0", "0"), ("1", "90", "0", "0"),
        ("1", "180", "0", "0"), ("1", "270", "0", "0"), ("1", "0", "10.5", "-20"),
        ("1", "400", "10", "20"), ("1", "-10", "0", "0"), ("2", "30", "-5", "7.25")]):
    case("watermark/position/%02d-orientation-%s-angle-%s" % (i + 1, orientation, angle),
         "ticketfilter", PLAIN, wm(Orientation=orientation, Angle=angle, hOffset=h, vOffset=v),
         stdin=b"%!PS\nep\n")
case("watermark/text/words-and-percent", "ticketfilter", PLAIN,
     wm(Text="'Top 100% (draft)'", Font="'Gothic Medium'"), stdin=b"ep\n")
case("watermark/text/japanese-utf8", "ticketfilter", UTF8, wm(Text="(社外秘)"), stdin=PAGES)
case("watermark/text/japanese-byte", "ticketfilter", DATA + "bytemode.ppd", wm(Text="(社外秘)"),
     stdin=PAGES)
# "表" is 0x95 0x5C in Shift-JIS: its second byte is a backslash to the interpreter.
for label, text in [("string-operand", "(表示)"), ("string-operand-ending-in-5c", "(表)"),
                    ("bare", "表")]:
    for printer, program, prefix, ppd in [("tf-utf8", "ticketfilter", FULL, UTF8),
                                          ("tf-byte", "ticketfilter", FULL, DATA + "bytemode.ppd"),
                                          ("basic-utf8", "ticketfilter-basic", BASIC, UTF8),
                                          ("basic-byte", "ticketfilter-basic", BASIC,
                                           DATA + "bytemode.ppd")]:
        case("watermark/text/shift-jis-5c/%s/%s" % (label, printer), program, ppd,
             wm(prefix, Text=quoted(text).decode("utf-8")), stdin=PAGES)
case("watermark/text/colour-density", "ticketfilter", PLAIN,
     wm(ColorR="0.2", ColorG="0.4", ColorB="1", Density="25", FontSize="72"), stdin=b"%!PS\nep\n")
case("watermark/none/type-1", "ticketfilter", PLAIN, wm(Type="1"), stdin=PAGES)
case("watermark/none/empty-name", "ticketfilter", PLAIN, wm(Name="''"), stdin=PAGES)
case("watermark/showpage/every-page", "ticketfilter", PLAIN, wm(), stdin=PSTOPS)
case("watermark/showpage/first-page-only", "ticketfilter", PLAIN, wm(OnlyFirst="1"), stdin=PSTOPS)
case("watermark/showpage/decomposition", "ticketfilter", DATA + "decomp-color.ppd", wm(),
     stdin=PSTOPS)
case("watermark/showpage/basic", "ticketfilter-basic", PLAIN, wm(BASIC), stdin=PSTOPS)
case("watermark/showpage/only-a-page-end-that-closes-a-setup", "ticketfilter", PLAIN, wm(),
     stdin=input_file(
         "showpage-edge-cases.ps",
         "%!PS\n%%BeginProlog\n/ep {\nshowpage\n} def\n%%EndProlog\n"
         "%%Page: 1 1\n(no setup) show\nshowpage\n"
         "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\n%%BeginDocument: x.eps\nshowpage\n"
         "%%EndDocument\nshowpage\n%%EOF\n"))
case("watermark/showpage/job-with-ep", "ticketfilter", PLAIN, wm(),
     stdin=b"%!PS\n%%Page: 1 1\n%%EndPageSetup\n(a) show\nep\n%%Page: 2 2\n%%EndPageSetup\n"
           b"showpage\n")


# Pages without "bp": the page-end flows of pstops, ps2write and cairo, with embedded documents
# that carry a page setup of their own.
def page_flow_job(prolog, page_setup, page_end, pages=4):
    job = ("%!PS-Adobe-3.0\n%%BeginProlog\n/F {/Helvetica findfont 20 scalefont setfont} def\n" +
           prolog + "%%EndProlog\n")
    for page in range(1, pages + 1):
        job += "%%%%Page: %d %d\n%sF 72 700 moveto (%d) show\n" % (page, page, page_setup, page)
        if page % 2 == 0:
            job += ("%%BeginDocument: inner.eps\n%%BeginPageSetup\n%%EndPageSetup\n(inner) show\n"
                    "%%EndDocument\n")
        job += page_end
    return job + "%%Trailer\n%%EOF\n"


PAGE_FLOWS = [
    ("pstops-showpage", "", "%%BeginPageSetup\n%%EndPageSetup\n", "showpage\n"),
    ("ps2write-two-page-setups", "/pagesave 0 def\n",
     "%%BeginPageSetup\n%%EndPageSetup\n%%BeginPageSetup\n/pagesave save def\n"
     "<< /PageSize [595 842] >> setpagedevice\n%%EndPageSetup\n",
     "pagesave restore\nshowpage\n"),
    ("ep-after-pstops-page-setup",
     "/bp{/pgsave save def}bind def\n/ep{pgsave restore showpage}bind def\n",
     "%%BeginPageSetup\n%%EndPageSetup\nbp\n%%EndPageSetup\n", "ep\n"),
    ("page-ended-by-a-procedure", "/P{showpage}bind def\n", "%%BeginPageSetup\n%%EndPageSetup\n",
     "P\n"),
]
for flow, prolog, page_setup, page_end in PAGE_FLOWS:
    job = input_file("page-flow-%s.ps" % flow, page_flow_job(prolog, page_setup, page_end))
    case("watermark/without-bp/%s/every-page" % flow, "ticketfilter", PLAIN, wm(), stdin=job)
    case("watermark/without-bp/%s/first-page-only" % flow, "ticketfilter", PLAIN,
         wm(OnlyFirst="1"), stdin=job)
    case("watermark/without-bp/%s/basic" % flow, "ticketfilter-basic", PLAIN, wm(BASIC),
         stdin=job)
    case("watermark/without-bp/%s/decomposition" % flow, "ticketfilter", DATA + "decomp-color.ppd",
         wm(), file=job)

# ---- job-information comment ---------------------------------------------------------------------

group("comment", "the job-information comment block, versions 1.3.0 and 1.5.0: copies, "
      "collation, sides, colour, N-up, finishing, booklet, orientation")
WORKED = ("collate com.apple.print.PrintSettings.PMCopies..n.=2 sides=two-sided-long-edge "
          "QMColorMode=Color number-up=4 " + LAYOUT_DIRECTION + "=1 "
          "QMStaple=UpperLeftSingle QMPunch=None QMSignature=None")
for ppd in ("utf8", "comment-on"):
    case("comment/1.5.0/worked-example-" + ppd, "ticketfilter", DATA + ppd + ".ppd", WORKED)
for ppd, program in [("utf8", "ticketfilter-basic"), ("comment-on", "ticketfilter-basic"),
                     ("bytemode", "ticketfilter-basic"), ("bytemode", "ticketfilter"),
                     ("model-code", "ticketfilter")]:
    case("comment/1.3.0/worked-example-%s-%s" % (ppd, "tf" if program == "ticketfilter" else "basic"),
         program, DATA + ppd + ".ppd", WORKED)
case("comment/1.5.0/booklet-punch-landscape", "ticketfilter", UTF8,
     "nocollate QMColorMode=Black number-up=2 " + LAYOUT_DIRECTION + "=3 orientation-requested=4 "
     "QMSignature=LeftSigCenterStaple QMSigVol=10Sheets QMStaple=SaddleStaple QMPunch=Left "
     "QMNumPunchHoles=2Holes", copies="3")
case("comment/1.3.0/booklet-punch-landscape", "ticketfilter", DATA + "bytemode.ppd",
     "nocollate QMColorMode=Black number-up=2 " + LAYOUT_DIRECTION + "=3 orientation-requested=4 "
     "QMSignature=LeftSigCenterStaple QMSigVol=10Sheets QMStaple=SaddleStaple QMPunch=Left "
     "QMNumPunchHoles=2Holes", copies="3")
case("comment/1.5.0/layout-on-booklet-printer", "ticketfilter", DATA + "utf8-booklet.ppd",
     layout(3, 3))
for i, direction in enumerate(["2", "4", "5", "6", "7", "8"]):
    case("comment/1.5.0/layout-direction-%s" % direction, "ticketfilter", UTF8,
         "number-up=4 %s=%s QMStaple=UpperRightSingle QMPunch=Top QMNumPunchHoles=3Holes" %
         (LAYOUT_DIRECTION, direction))
for i, (options, title) in enumerate([("collate=false", "Test Job"), ("collate=true", "Test Job"),
                                      ("multiple-document-handling=separate-documents-collated-"
                                       "copies", "Test Job"),
                                      ("", "How to collate"), ("job-sheets=nocollate", "Test Job")]):
    case("comment/collation/%02d" % (i + 1), "ticketfilter", DATA + "bytemode.ppd", options,
         copies="2", title=title)
for copies in ("4", "x"):
    case("comment/copies/argument-" + copies, "ticketfilter-basic", DATA + "bytemode.ppd", "collate",
         copies=copies)
for i, options in enumerate(["", "sides=two-sided-long-edge", "QMSignature=RightSig",
                             "sides=two-sided-short-edge", "Duplex=DuplexTumble"]):
    case("comment/sides/%02d" % (i + 1), "ticketfilter", DATA + "bytemode.ppd", options)
# A number-up below 1 is no N-up, as a layout product below 1 is; with and without a booklet.
for value, rows, columns in [("-2", "-1", "2"), ("0", "0", "2")]:
    for label, extra in [("plain", ""), ("signature", " QMSignature=LeftSig QMSigVol=5Sheets")]:
        for printer, program, ppd in [("tf-utf8", "ticketfilter", UTF8),
                                      ("tf-utf8-booklet", "ticketfilter",
                                       DATA + "utf8-booklet.ppd"),
                                      ("tf-byte", "ticketfilter", DATA + "bytemode.ppd"),
                                      ("basic-byte", "ticketfilter-basic", DATA + "bytemode.ppd")]:
            case("comment/number-up-below-one/%s/%s/%s" % (value, label, printer), program, ppd,
                 "number-up=" + value + extra)
            case("comment/number-up-below-one/layout-%sx%s/%s/%s" % (rows, columns, label, printer),
                 program, ppd, layout(rows, columns) + extra)
case("comment/injection-through-number-up", "ticketfilter", UTF8,
     "number-up=/50/10/64/80/74/76/32/69/79/74/34")
case("comment/sample-ppd-colour", "ticketfilter", "ppd/tf-color-utf8.ppd",
     "QMStaple=UpperLeftSingle QMColorMode=Color collate=true sides=two-sided-long-edge "
     "QMPunch=Left QMNumPunchHoles=2Holes", copies="2")

# ---- envelope ------------------------------------------------------------------------------------

group("envelope", "the job envelope: header and trailer order, string code set, comment block "
      "choice by PPD, render mode, line weight, decomposition switch")
case("envelope/plain-printer", "ticketfilter", PLAIN)
case("envelope/string-code-set/tf", "ticketfilter", DATA + "utf8-nocomment.ppd")
case("envelope/string-code-set/basic", "ticketfilter-basic", DATA + "utf8-nocomment.ppd")
for ppd in ("plain", "bytemode", "utf8", "utf8-nocomment", "model-code", "comment-on",
            "comment-lowercase"):
    for program in ("ticketfilter", "ticketfilter-basic"):
        case("envelope/comment-choice/%s/%s" % (ppd, "tf" if program == "ticketfilter" else "basic"),
             program, DATA + ppd + ".ppd")
for ppd, value in [("utf8", "Color"), ("plain", "Black"), ("utf8", "Auto"), ("plain", "Auto"),
                   ("utf8", "Black"), ("bytemode", "Color")]:
    case("envelope/render-mode/%s-%s" % (ppd, value), "ticketfilter", DATA + ppd + ".ppd",
         "QMColorMode=" + value)
for value in ("Normal", "Strongly2", "Weakly1", "Medium3", "Strongly", "Weakly3", "Strongly1"):
    case("envelope/line-weight/" + value, "ticketfilter", UTF8, "QMLineWeightAdjustment=" + value)
case("envelope/line-weight/basic", "ticketfilter-basic", UTF8, "QMLineWeightAdjustment=Strongly3")
for ppd in ("decomp-01", "decomp-prefix", "plain"):
    case("envelope/decomposition-switch/" + ppd, "ticketfilter", DATA + ppd + ".ppd")
case("envelope/no-ppd/tf", "ticketfilter", None)
case("envelope/no-ppd/basic", "ticketfilter-basic", None)

# ---- decomposition mode --------------------------------------------------------------------------

group("decomp", "feature decomposition mode: feature lines (every row of the table), resolution, "
      "halftone of monochrome printers, parameter lines, control-D, input from a file, no "
      "temporary file")
JOB_START = "%!PS-Adobe-3.0\n%%BeginProlog\n%%EndProlog\n%%BeginSetup\n"
RES_FEATURE = "%%BeginFeature: *QMOutputMode 1200x1200\n"
RES_BODY = "<</HWResolution[1200 1200]>>setpagedevice\n%%EndFeature\n"
DECOMP_JOB = input_file(
    "decomposition-job.ps",
    JOB_START + RES_FEATURE + RES_BODY + "%%BeginFeature: *QMTonerSaver Mode2\n"
    "%%EndFeature\n%%EndSetup\n%%Page: 1 1\nbp\n/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2 /ITRC 2\n"
    "(one) show\nep\n%%EOF\n")
COLOR = DATA + "decomp-color.ppd"
MONO = DATA + "decomp-mono.ppd"
case("decomp/job/tf", "ticketfilter", COLOR, stdin=DECOMP_JOB)
case("decomp/job/basic", "ticketfilter-basic", COLOR, stdin=DECOMP_JOB)
case("decomp/job/mono-stdin", "ticketfilter", MONO, stdin=DECOMP_JOB)
case("decomp/job/mono-file", "ticketfilter", MONO, stdin=None, file=DECOMP_JOB)
case("decomp/job/sample-ppd", "ticketfilter", "ppd/tf-mono-decomp.ppd", stdin=DECOMP_JOB)
FAMILIES = [("*QMColorDensityYellowMid +2",), ("*QMColorDensityCyanLow -3",),
            ("*QMColorDensityBlackHigh +3",), ("*QMBrightnes Dark2",), ("*QMTonerSaver True",),
            ("*QMSetTrapMode True",), ("*QMLetterHeadDuplexMode DupOff",),
            ("*QMGrayBalance False",), ("*QMRGBInputProfile SRGB",), ("*QMRGBBCorrection Light",),
            ("*Smoothing False",), ("*QMSaveBlankSheet False",), ("*QMMonochromePriority True",),
            ("*QMOutputMode HighSpeed",), ("*QMUnknownKeyword True",), ("*QMTonerSaver Mode9",)]


def features_job(features, body="(body) pop\n"):
    text = "%!PS\n"
    for feature in features:
        text += "%%BeginFeature: " + feature + "\n" + body + "%%EndFeature\n"
    return text + "%%EOF\n"


case("decomp/features/one-of-each-family", "ticketfilter", COLOR,
     stdin=b(features_job([f[0] for f in FAMILIES])))
FEATURE_TABLE = [
    ("QMSetTrapMode", ["False", "True"]),
    ("QMLetterHeadDuplexMode", ["DupAuto", "DupOff", "DupOn"]),
    ("QMGrayBalance", ["True", "False"]),
    ("QMOutputMode", ["HighSpeed", "Standard"]),
    ("QMBrightnes", ["Bright5", "Bright4", "Bright3", "Bright2", "Bright1", "Normal", "Dark5",
                     "Dark4", "Dark3", "Dark2", "Dark1"]),
    ("QMRGBInputProfile", ["SRGB", "AdobeRGB"]),
    ("QMRGBBCorrection", ["Off", "Lightest", "Light", "Standard", "Dark", "Darkest"]),
    ("Smoothing", ["True", "False"]),
    ("QMTonerSaver", ["False", "True", "Mode1", "Mode2", "Mode3"]),
    ("QMSaveBlankSheet", ["False", "True"]),
    ("QMMonochromePriority", ["False", "True"]),
]
for keyword, choices in FEATURE_TABLE:
    case("decomp/table/" + keyword, "ticketfilter", COLOR,
         stdin=b(features_job(["*%s %s" % (keyword, c) for c in choices + ["Unknown"]])))
DENSITY = ["-3", "-2", "-1", "0", "+1", "+2", "+3"]
for colour in ("Cyan", "Magenta", "Yellow", "Black"):
    case("decomp/table/QMColorDensity" + colour, "ticketfilter", COLOR,
         stdin=b(features_job(["*QMColorDensity%s%s %s" % (colour, band, c)
                               for band in ("Low", "Mid", "High") for c in DENSITY + ["+4"]])))
case("decomp/resolution/once", "ticketfilter", COLOR,
     stdin=b("%!PS\n" + RES_FEATURE + "%%BeginFeature: *QMOutputMode 600x600\n" + RES_FEATURE +
             "%%EOF\n"))
case("decomp/resolution/600", "ticketfilter", MONO,
     stdin=b("%!PS\n%%BeginFeature: *QMOutputMode 600x600\n%%EndFeature\n"
             "%%BeginFeature: *QMOutputMode 1200x1200\n%%EOF\n"))
case("decomp/resolution/unknown-then-1200", "ticketfilter", COLOR,
     stdin=b("%!PS\n%%BeginFeature: *QMOutputMode 300x300\n%%EndFeature\n" + RES_FEATURE +
             "%%EOF\n"))
for choice in ("Gradation", "Fineness", "Other"):
    for ppd, short in ((MONO, "mono"), (COLOR, "color")):
        case("decomp/halftone/%s-%s" % (choice, short), "ticketfilter", ppd,
             stdin=b("%!PS\n%%BeginFeature: *QMHalftone " + choice + "\n%%EndFeature\n"))
for i, line in enumerate([
        "/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2 /ITRC 2",
        "TSCR=64 GSCR=66 ISCR=1 TTRC=12 GTRC=0 ITRC=99",
        "/TCPR 1 /GCPR 2 /ICPR 3",
        "/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2",
        "/TCPR 123 /GCPR 4567 /ICPR 8",
        "12/TCPR 1 /GCPR 2 /ICPR 3 trailing 7",
        "/TC\"R 1 /TCPR 1 /GCPR 2 /ICPR 3",
        "% comment /TSCR 5 /GSCR 5 /ISCR 5 /TTRC 5 /GTRC 5 /ITRC 5 and /TCPR 6 /GCPR 6 /ICPR 6"]):
    case("decomp/parameters/%02d" % (i + 1), "ticketfilter", COLOR,
         stdin=b("%!PS\n" + line + "\nbp\nep\n%%EOF\n"))
for i, text in enumerate([b"%!PS\n%%EOF\n", b"%!PS\n%%EOF\n\x04", b"%!PS\r\n%%EOF", b"",
                          b"%!PS\nbp\nep\n", b"%!PS\nbp\nep"]):
    case("decomp/control-d/%02d" % (i + 1), "ticketfilter", COLOR, stdin=text)
case("decomp/prepared-pages", "ticketfilter", MONO, copies="2", stdin=input_file(
    "prepared-pages.ps",
    "%!PS-Adobe-3.0\n%%Title: t\n%RBINumCopies: 3\n%%Pages: (atend)\n%%EndComments\n"
    "%%BeginProlog\n%%EndProlog\n%%BeginSetup\n%%EndSetup\n"
    "%%Page: 1 1\n%%PageBoundingBox: 0 0 595 842\n(one) show\nshowpage\n"
    "%%Page: 2 2\n(two) show\nshowpage\n%%Page: (iii) 3\n(three) show\nshowpage\n"
    "%%Trailer\n%%Pages: 3\n%%EOF\n"))
case("decomp/feature-line-long-and-odd", "ticketfilter", COLOR, stdin=b(
    "%!PS\n%%BeginFeature: *QMTonerSaver    True   extra words\n"
    "%%BeginFeature: " + "*QMBrightnes" + " " * 90 + "Dark1\n"
    "%%BeginFeature:*QMTonerSaver Mode1\n%%BeginFeature: *QMTonerSaver\n"
    "%%BeginFeature: QMTonerSaver Mode3\n%%EOF\n"))
case("decomp/with-finishing-and-watermark/tf", "ticketfilter", COLOR,
     wm() + " " + tickets(FULL, BLOCKS) + " " + layout(2, 2), stdin=DOCUMENT)
case("decomp/with-finishing-and-watermark/basic", "ticketfilter-basic", COLOR,
     wm(BASIC) + " " + tickets(BASIC, BLOCKS) + " " + layout(2, 2), stdin=DOCUMENT)
# A monochrome UTF-8 printer in decomposition mode.
DECOMP_UTF8 = ppd_file("decomposition-utf8.ppd", make_ppd(
    b'*ColorDevice: False\n*QMPSDecompMode: "1"\n*QMPrinterLanguageEncoding: "UTF-8"\n'
    b'*CommentOn: "True"\n'))
for program, prefix in (("ticketfilter", FULL), ("ticketfilter-basic", BASIC)):
    short = "tf" if program == "ticketfilter" else "basic"
    case("decomp/utf8-printer/job/" + short, program, DECOMP_UTF8, stdin=DECOMP_JOB)
    case("decomp/utf8-printer/names-and-watermark/" + short, program, DECOMP_UTF8,
         wm(prefix) + " " + tickets(prefix, [
             ("PrintTypeTicketKey", "2"), ("PrintTypeUserNameTicketKey", YAMADA),
             ("PrintTypePasswordTicketKey", "1234"), ("DocumentNameTypeTicketKey", "1")]),
         user="山田", title="報告書", stdin=PAGES)
    case("decomp/utf8-printer/halftone/" + short, program, DECOMP_UTF8,
         stdin=b("%!PS\n%%BeginFeature: *QMHalftone Fineness\n%%EndFeature\n"
                 "/TCPR 1 /GCPR 2 /ICPR 3\nbp\nep\n"))

# ---- the PostScript stream -----------------------------------------------------------------------

group("stream", "the PostScript pass-through: bytes kept exactly (line ends, NUL, long lines, no "
      "last line end), control-D, input from a file or standard input, large print files")
STREAM_JOB = input_file(
    "three-pages.ps",
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def\n%%EndProlog\n"
    "%%Page: 1 1\nbp\n(one) show\nep\n%%Page: 2 2\nbp\n(two) show\nep\n%%Page: 3 3\nbp\nep\n"
    "%%EOF\n")
case("stream/stdin", "ticketfilter", PLAIN, copies="2", stdin=STREAM_JOB)
case("stream/file", "ticketfilter", PLAIN, copies="2", stdin=None, file=STREAM_JOB)
case("stream/file-basic", "ticketfilter-basic", PLAIN, copies="2", stdin=None, file=STREAM_JOB)
for label, text in [("crlf", b"%!PS\r\nbp\r\nep\r\n%%EOF\r\n"), ("cr", b"%!PS\rbp\rep\r%%EOF\r"),
                    ("nul-bytes", b"%!PS\n(a\0b) show\n\0\0\nep\n"),
                    ("long-line", b"%!PS\n" + b"h" * 20000 + b"\nep\n"),
                    ("no-last-line-end", b"%!PS\nbp\nep\nlast line without end"),
                    ("empty", b"")]:
    for program in ("ticketfilter", "ticketfilter-basic"):
        case("stream/bytes/%s/%s" % (label, "tf" if program == "ticketfilter" else "basic"),
             program, PLAIN, copies="2",
             stdin=input_file("long-line.ps", text) if label == "long-line" else text)
case("stream/utf8-printer/tf", "ticketfilter", UTF8, copies="2", stdin=STREAM_JOB)
case("stream/utf8-printer/basic", "ticketfilter-basic", UTF8, copies="2", stdin=None,
     file=STREAM_JOB)
case("stream/forged-copies-argument", "ticketfilter", None, copies="2\nERROR: forged", stdin=b"ep\n")
case("stream/endp-and-showpage-no-page-line", "ticketfilter", PLAIN, copies="2",
     stdin=b"endp\nshowpage\n")
case("stream/insertion-lines-with-cr-and-pieces", "ticketfilter", PLAIN,
     wm() + " " + tickets(FULL, BLOCKS),
     stdin=b"%!PS\r\n%%BeginProlog\r\n%%EndProlog\r\n%%EndSetup\r\nbp\r\n" + b"x" * 8065 +
           b"ep\n" + b"y" * 16130 + b"\nep\n%%EndPageSetup\rep\r")


def big_job(name, pages, lines_per_page, watermark_pages=True):
    lines = [(b"%!PS-Adobe-3.0", 1), (b"%%BeginProlog", 1), (b"/bp {} def", 1),
             (b"%%EndProlog", 1)]
    for page in range(1, pages + 1):
        n = str(page).encode()
        lines += [(b"%%Page: " + n + b" " + n, 1), (b"bp", 1), (b"%%EndPageSetup", 1),
                  (b"72 72 m (page " + n + b" of a large job) s", lines_per_page(page)),
                  (b"ep", 1)]
    lines.append((b"%%EOF", 1))
    return lines_input(name, lines)


LARGE = big_job("large-job", 40, lambda page: 6000 if page % 5 == 0 else 20)
WM_SHORT = tickets(FULL, [("WMARKNameTicket", "Confidential"), ("WMARKTypeTicket", "0"),
                          ("WMARKOnlyFirstTicket", "0"), ("WMARKTextTicket", "(S)")])
for mode, ppd in (("pass-through", PLAIN), ("decomposition", COLOR)):
    for source in ("stdin", "file"):
        for label, options in (("plain", ""), ("watermark", WM_SHORT)):
            fields = {"stdin": LARGE, "file": None} if source == "stdin" else \
                     {"stdin": None, "file": LARGE}
            case("stream/large/%s/%s/%s" % (mode, source, label), "ticketfilter", ppd, options,
                 **fields)
LONG_LINES = lines_input("long-lines", [
    (b"%!PS-Adobe-3.0", 1), (b"%%BeginProlog", 1), (b"%%EndProlog", 1), (b"bp", 1),
    (b"A" * 20000, 3), (b"ep", 1), (b"bp", 1), (b"B" * 8065 + b"ep", 1), (b"C" * 8064, 1),
    (b"ep", 1)], tail=b"%%EOF")
for mode, ppd in (("pass-through", PLAIN), ("decomposition", COLOR)):
    for source in ("stdin", "file"):
        fields = {"stdin": LONG_LINES, "file": None} if source == "stdin" else \
                 {"stdin": None, "file": LONG_LINES}
        case("stream/long-lines/%s/%s" % (mode, source), "ticketfilter", ppd, WM_SHORT, **fields)

# ---- page accounting -----------------------------------------------------------------------------

group("pages", "page lines: after ep, for DSC pages closed by showpage, the copies comment, "
      "embedded documents")
PREPARED = INPUTS[b(
    "%!PS-Adobe-3.0\n%%Title: t\n%RBINumCopies: 3\n%%Pages: (atend)\n%%EndComments\n"
    "%%BeginProlog\n%%EndProlog\n%%BeginSetup\n%%EndSetup\n"
    "%%Page: 1 1\n%%PageBoundingBox: 0 0 595 842\n(one) show\nshowpage\n"
    "%%Page: 2 2\n(two) show\nshowpage\n%%Page: (iii) 3\n(three) show\nshowpage\n"
    "%%Trailer\n%%Pages: 3\n%%EOF\n")]
for program in ("ticketfilter", "ticketfilter-basic"):
    case("pages/prepared/" + ("tf" if program == "ticketfilter" else "basic"), program, PLAIN,
         copies="2", stdin=PREPARED)
case("pages/prepared/tf-utf8", "ticketfilter", UTF8, copies="2", stdin=PREPARED)
case("pages/prepared/basic-utf8", "ticketfilter-basic", UTF8, copies="2", stdin=PREPARED)
case("pages/without-copies-comment", "ticketfilter", PLAIN, copies="4",
     stdin=b"%!PS\n%%Page: 1 1\nshowpage\n%%Page: 2 2\nshowpage\n%%EOF\n")
case("pages/ep-counts-not-comments", "ticketfilter", PLAIN, copies="2",
     stdin=b"%!PS\n%RBINumCopies: 1\n%%Page: 1 1\nbp\nep\n%%Page: 2 2\nbp\nep\n")
case("pages/endp-no-page-lines", "ticketfilter", PLAIN, copies="2",
     stdin=b"%!PS\n%%Page: 1 1\nendp\n%%Page: 2 2\nendp\n")
case("pages/one-late-ep", "ticketfilter", PLAIN, copies="2",
     stdin=b"%!PS\n%%Page: 1 1\nshowpage\n%%Page: 2 2\nep\n")
case("pages/embedded-documents", "ticketfilter", PLAIN, copies="2", stdin=b(
    "%!PS\n%%Page: 1 1\n%%BeginDocument: inner.ps\n%%Page: 1 1\n%%BeginDocument: deeper\n"
    "%%Page: 1 1\n%RBINumCopies: 9\n%%EndDocument\n%%Page: 2 2\n%%EndDocument\nshowpage\n"
    "%%Page: 2 2\nshowpage\n%%EOF\n"))
case("pages/only-whole-dsc-comments", "ticketfilter", PLAIN, copies="2", stdin=b(
    " %%Page: 1 1\n%%page: 1 1\n%%Pages: 3\n%%PageBoundingBox: 0 0 1 1\n%%Page: " + "x" * 300 +
    " 1\n%%Page: 1 1\nshowpage\n"))
for i, comment in enumerate([b"%RBINumCopies: 0", b"%RBINumCopies: -1", b"%RBINumCopies: 2x",
                             b"%RBINumCopies:", b"%RBINumCopies: 1234567890",
                             b"%RBINumCopies: 2 ERROR: forged", b"%RBINumCopies: \x1b",
                             b"%RBINumCopies:\t 7 ", b"%RBINumCopies: 999999999"]):
    case("pages/copies-comment/%02d" % (i + 1), "ticketfilter", PLAIN, copies="5",
         stdin=b"%!PS\n" + comment + b"\n%%Page: 1 1\nshowpage\n")
case("pages/decomposition-ep", "ticketfilter", MONO, copies="3",
     stdin=b"%!PS\n%%Page: 1 1\nbp\nep\n%%Page: 2 2\nbp\nep\n%%EOF\n")

# ---- errors and odd environments -----------------------------------------------------------------

group("errors", "failures with an ERROR: line and exit status 1 (usage, unreadable input, no "
      "temporary file), and what must not fail (PPDs that cannot be read, many options)")
for program in ("ticketfilter", "ticketfilter-basic"):
    short = "tf" if program == "ticketfilter" else "basic"
    case("errors/usage/" + short, program, None, stdin=None, args=["1", "tux", "title", "1"])
    case("errors/usage-no-arguments/" + short, program, None, stdin=None, args=[])
for mode, ppd in (("pass-through", PLAIN), ("decomposition", COLOR)):
    for label, path, setup in [
            ("missing-file", "@WORK@/missing.ps", {}),
            ("directory", "@WORK@", {}),
            ("not-a-directory", "@WORK@/plain-file/job.ps", {"mkfile": [("plain-file", b"")]}),
            ("read-error", "/proc/self/mem", {})]:
        for program in ("ticketfilter", "ticketfilter-basic"):
            case("errors/input/%s/%s/%s" % (mode, label,
                                             "tf" if program == "ticketfilter" else "basic"),
                 program, ppd, wm() if program == "ticketfilter" else "", stdin=None,
                 file_path=path, **setup)
for label, tmpdir, setup in [("missing", "@WORK@/missing", {}),
                             ("not-a-directory", "@WORK@/plain-file",
                              {"mkfile": [("plain-file", b"")]})]:
    for program in ("ticketfilter", "ticketfilter-basic"):
        case("errors/no-temporary-file/%s/%s" % (label, "tf" if program == "ticketfilter" else "basic"),
             program, COLOR, stdin=DECOMP_JOB, env=[("TMPDIR", tmpdir)], **setup)
GARBAGE = bytes((i * 131 + 7) % 256 for i in range(4096))
for label, path, setup in [("missing", "@WORK@/missing.ppd", {}),
                           ("empty", "@WORK@/empty.ppd", {"mkfile": [("empty.ppd", b"")]}),
                           ("garbage", "@WORK@/garbage.ppd", {"mkfile": [("garbage.ppd", GARBAGE)]}),
                           ("directory", "@WORK@/directory.ppd", {"mkdir": ["directory.ppd"]})]:
    for program, prefix in (("ticketfilter", FULL), ("ticketfilter-basic", BASIC)):
        case("errors/unreadable-ppd/%s/%s" % (label, "tf" if program == "ticketfilter" else "basic"),
             program, None, wm(prefix), stdin=PAGES, ppd_path=path, **setup)
MANY = " ".join("o%d=1" % i for i in range(3000))
case("errors/many-unknown-options", "ticketfilter", UTF8,
     wm() + " sides=two-sided-long-edge number-up=2 collate=true " + MANY, stdin=PAGES)
case("errors/long-unknown-option", "ticketfilter", UTF8,
     wm() + " sides=two-sided-long-edge x-long='" + "v" * 20000 + "'", stdin=PAGES)
case("errors/long-watermark-text", "ticketfilter", UTF8,
     wm(Text="'(" + "W" * 2000 + ")'"), stdin=PAGES)

# ---- fuzz seeds ----------------------------------------------------------------------------------

group("fuzz", "the fuzz seed corpora as whole jobs: header seeds (PPD attributes, options, user, "
      "title), PostScript stream seeds in both modes, special-pages seeds, text seeds")
FUZZ = os.path.join(ROOT, "fuzz", "corpus")
def split_at_zero(data, n):
    parts = [b""] * n
    part = 0
    for c in data:
        if c == 0 and part + 1 < n:
            part += 1
        elif c != 0:
            parts[part] += bytes([c])
    return parts


INSERTION_POINTS = input_file(
    "insertion-points.ps",
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def /endp {showpage} def\n"
    "%%EndProlog\n%%BeginSetup\nuserdict/setpagedevice{pop}bind put\n%%EndSetup\n"
    "%%Page: 1 1\nbp\n%%EndPageSetup\n(one) show\nep\n"
    "%%Page: 2 2\nbp\n%%EndPageSetup\n(two) show\nendp\n"
    "%%Page: 3 3\n%%BeginPageSetup\n%%EndPageSetup\n(three) show\nshowpage\n%%EOF\n")
for seed in sorted(os.listdir(os.path.join(FUZZ, "header"))):
    data = open(os.path.join(FUZZ, "header", seed), "rb").read()
    if not data:
        continue
    flags = data[0]
    parts = split_at_zero(data[1:], 4)
    attributes = b""
    if flags & 0x02:
        attributes += b'*QMPrinterLanguageEncoding: "UTF-8"\n'
    if flags & 0x04:
        attributes += b'*QMPSDecompMode: "1"\n'
    if flags & 0x08:
        attributes += b'*CommentOn: "True"\n'
    attributes += b"*ColorDevice: False\n" if flags & 0x10 else b"*ColorDevice: True\n"
    if flags & 0x20:
        attributes += b'*PCFileName: "QMA2020.PPD"\n'
    attributes += parts[0]
    ppd = ppd_file("fuzz-header-" + seed + ".ppd", make_ppd(attributes))
    fields = {}
    if parts[2]:
        fields["user"] = parts[2]
    if parts[3]:
        fields["title"] = parts[3]
    case("fuzz/header/" + seed, "ticketfilter-basic" if flags & 0x01 else "ticketfilter", ppd,
         parts[1], stdin=INSERTION_POINTS, **fields)


def ps_stream_options(nup4):
    p = FULL
    options = (p + "WMARKTypeTicket=0 " + p + "WMARKNameTicket=Confidential " + p +
               "WMARKTextTicket=(CONFIDENTIAL) " + p + "WMARKOnlyFirstTicket=0 " + p +
               "WMARKFontTicket=Helvetica " + p + "WMARKFontSizeTicket=48 " + p +
               "WMARKColorRTicket=1 " + p + "WMARKColorGTicket=0 " + p + "WMARKColorBTicket=0 " +
               p + "WMARKDensityTicket=50 " + p + "WMARKAngleTicket=45 " + p +
               "WMARKOrientationTicket=1 " + p + "WMARKPaperWidthTicket=595 " + p +
               "WMARKPaperHeightTicket=842 " + p + "WMARKWidthTicket=400 " + p +
               "WMARKHeightTicket=60 " + p + "SeparatorPageListTicket=0 " + p +
               "SeparatorPageTicket='1 3' " + p + "BookletMarginSwitchTicket=1 " + p +
               "BookletMarginMMShiftTicket=5 " + p + "AutoFitSwitchTicket=1")
    if nup4:
        options += " " + layout(2, 2)
    return options


def expand(data):
    out = bytearray()
    i = 0
    while i < len(data) and len(out) < 48 * 1024:
        if data[i] == 0x01 and i + 3 < len(data):
            count = (data[i + 1] << 8) | data[i + 2]
            out += bytes([data[i + 3]]) * min(count, 48 * 1024 - len(out))
            i += 4
        else:
            out.append(data[i])
            i += 1
    return bytes(out)


PS_PPD = {decomp: ppd_file("fuzz-ps-stream%s.ppd" % ("-decomposition" if decomp else ""),
                           make_ppd(b"*ColorDevice: False\n" +
                                    (b'*QMPSDecompMode: "1"\n' if decomp else b"") +
                                    b'*QMPrinterLanguageEncoding: "UTF-8"\n'))
          for decomp in (False, True)}
for seed in sorted(os.listdir(os.path.join(FUZZ, "ps_stream"))):
    data = open(os.path.join(FUZZ, "ps_stream", seed), "rb").read()
    if not data:
        continue
    flags = data[0]
    body = expand(data[1:])
    stored = input_file("fuzz-ps-stream-" + seed + ".ps", body) if len(body) > 200 else body
    for source in ("stdin", "file"):
        fields = {"stdin": stored, "file": None} if source == "stdin" else \
                 {"stdin": None, "file": input_file("fuzz-ps-stream-" + seed + ".ps", body)}
        case("fuzz/ps_stream/%s/%s" % (seed, source), "ticketfilter", PS_PPD[bool(flags & 1)],
             ps_stream_options(bool(flags & 2)), **fields)

SP_PPD = {utf8: ppd_file("fuzz-plain%s.ppd" % ("-utf8" if utf8 else ""),
                         make_ppd(b'*QMPrinterLanguageEncoding: "UTF-8"\n' if utf8 else b""))
          for utf8 in (False, True)}
for seed in sorted(os.listdir(os.path.join(FUZZ, "specialpage"))):
    data = open(os.path.join(FUZZ, "specialpage", seed), "rb").read()
    if len(data) < 4:
        continue
    basic = bool(data[0] & 1)
    utf8 = bool(data[0] & 2)
    prefix = (BASIC if basic else FULL).encode()
    options = b""
    for i, key in enumerate((b"KPIFCoverCountTicket", b"KPIFInsertionCountTicket",
                             b"KPIFExceptionCountTicket")):
        selector = data[1 + i]
        if selector < 0xF0:
            text = str(selector % 8).encode()
        elif selector == 0xF0:
            continue
        elif selector == 0xF1:
            text = b"-5"
        elif selector == 0xF2:
            text = b"2147483647"
        else:
            text = b"many"
        options += prefix + key + b"=" + quoted(text) + b" "
    stems = (b"KPIFCoverValueTicket_", b"KPIFInsertionValueTicket_", b"KPIFExceptionValueTicket_")
    for j, value in enumerate(data[4:].split(b"\n") if data[4:] else []):
        value = value.replace(b"\0", b"")
        options += prefix + stems[j % 3] + str(j // 3).encode() + b"=" + quoted(value) + b" "
    case("fuzz/specialpage/" + seed, "ticketfilter-basic" if basic else "ticketfilter",
         SP_PPD[utf8], options.strip())

for seed in sorted(os.listdir(os.path.join(FUZZ, "text"))):
    data = open(os.path.join(FUZZ, "text", seed), "rb").read()
    if len(data) < 2:
        continue
    texts = [t for t in data[2:].split(b"\0") if t]
    text = texts[0] if texts else b""
    case("fuzz/text/%s/options" % seed, "ticketfilter", UTF8, text)
    for label, program, prefix, ppd in (PRINTERS[0], PRINTERS[1], PRINTERS[3]):
        options = b" ".join(prefix.encode() + k + b"=" + quoted(v) for k, v in [
            (b"PrintTypeTicketKey", b"2"), (b"PrintTypeUserNameTicketKey", text),
            (b"PrintTypePasswordTicketKey", text), (b"DocumentNameTypeTicketKey", b"2"),
            (b"DocumentNameTicketKey", text), (b"JBAManageTypeListTicketKey", b"2"),
            (b"JBAUserSettingRadioBtnTicket", b"1"), (b"JBAUserIDListCtrlTicket", b"2"),
            (b"JBAUserIDTextEditTicket", text), (b"WMARKTypeTicket", b"0"),
            (b"WMARKNameTicket", b"n"), (b"WMARKTextTicket", text), (b"WMARKFontTicket", text)])
        case("fuzz/text/%s/values/%s" % (seed, label), program, ppd, options, user=text,
             title=text, stdin=PAGES)

# ---- sample job and sample PPDs ------------------------------------------------------------------

group("samples", "the sample job through every sample PPD with the README's options, and each "
      "sample PPD with both programs")
SAMPLE = input_file("sample-job.ps", open(os.path.join(ROOT, "samples", "sample-job.ps"), "rb").read())


def readme_options(prefix):
    p = prefix
    return ("%sPrintTypeTicketKey=2 %sPrintTypeUserNameTicketKey=tux "
            "%sPrintTypePasswordTicketKey=1234 %sDocumentNameTypeTicketKey=1 "
            "QMStaple=UpperLeftSingle QMColorMode=Color collate=true number-up=1 "
            "sides=two-sided-long-edge %sWMARKTypeTicket=0 %sWMARKNameTicket=Confidential "
            "%sWMARKTextTicket=(CONFIDENTIAL) %sWMARKOnlyFirstTicket=0 %sWMARKFontTicket=Helvetica "
            "%sWMARKFontSizeTicket=48 %sWMARKColorRTicket=1 %sWMARKColorGTicket=0 "
            "%sWMARKColorBTicket=0 %sWMARKDensityTicket=50 %sWMARKAngleTicket=45 "
            "%sWMARKOrientationTicket=1 %sWMARKPaperWidthTicket=595 %sWMARKPaperHeightTicket=842 "
            "%sWMARKWidthTicket=400 %sWMARKHeightTicket=60" % ((p,) * 20))


SAMPLE_PPDS = ["tf-color-utf8", "tf-mono-bytemode", "tf-mono-decomp", "tf-basic"]
for ppd in SAMPLE_PPDS:
    for program, prefix in (("ticketfilter", FULL), ("ticketfilter-basic", BASIC)):
        short = "tf" if program == "ticketfilter" else "basic"
        case("samples/readme-job/%s/%s" % (ppd, short), program, "ppd/%s.ppd" % ppd,
             readme_options(prefix), title="Sample job", copies="2", stdin=None, file=SAMPLE)
        case("samples/plain/%s/%s" % (ppd, short), program, "ppd/%s.ppd" % ppd, "", stdin=SAMPLE)

# ---- output --------------------------------------------------------------------------------------


def write_if_changed(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path) and open(path, "rb").read() == content:
        return
    with open(path, "wb") as f:
        f.write(content)


def source_fields(key, value):
    """Manifest lines for an input on standard input (`key` "stdin") or as a file ("file")."""
    if value is None:
        return []
    if isinstance(value, Lines):
        return ["  %s %s" % (key, value.path)]
    if isinstance(value, str):
        return ["  %s %s" % (key, value)]
    return ["  %s-text %s" % (key, escape(value))]


def main():
    inputs_dir = os.path.join(HERE, "inputs")
    ppd_dir = os.path.join(HERE, "ppd")
    wanted_inputs = set()
    for content, path in INPUTS.items():
        write_if_changed(os.path.join(HERE, path), content)
        wanted_inputs.add(os.path.basename(path))
    for li in LINE_INPUTS:
        text = "# Expanded by the replay: \"line*N <text>\" is N equal lines.\n"
        for data, repeat in li.lines:
            text += ("line " if repeat == 1 else "line*%d " % repeat) + escape(data) + "\n"
        if li.tail:
            text += "tail " + escape(li.tail) + "\n"
        write_if_changed(os.path.join(HERE, li.path), text.encode())
        wanted_inputs.add(os.path.basename(li.path))
    for name in os.listdir(inputs_dir):
        if name not in wanted_inputs:
            os.remove(os.path.join(inputs_dir, name))
    for name, content in PPD_OUT.items():
        write_if_changed(os.path.join(ppd_dir, name), content)
    for name in os.listdir(ppd_dir):
        if name not in PPD_OUT:
            os.remove(os.path.join(ppd_dir, name))

    out = ["# The job corpus: every job the replay runs through the built programs (see README.md).",
           "# Written by gen_manifest.py; recorded results in expected/<case>.txt.",
           "#",
           "# A case is \"case <name>\" and indented \"key value\" lines; values are escaped text",
           "# (\\\\ \\r \\n \\t \\xHH).  Keys: program, ppd (source-tree path; without it PPD is",
           "# unset), ppd-path (literal), job, user, title, copies, options, arg (replaces",
           "# argv[1..]; arg-none: no arguments at all),",
           "# stdin / stdin-text, file / file-text (argv[6]), file-path (literal argv[6]),",
           "# env NAME=VALUE, mkdir / mkfile (made under @WORK@ first).  @WORK@ is a fresh",
           "# directory of the case and @TMP@ its TMPDIR.",
           "",
           "defaults",
           "  program ticketfilter",
           "  job 1",
           "  user tux",
           "  title Test Job",
           "  copies 1",
           ""]
    current_group = None
    for c in CASES:
        g = c["name"].split("/")[0]
        if g != current_group:
            current_group = g
            out.append("# ==== %s: %s" % (g, GROUP_NOTES[g]))
            out.append("")
        lines = ["case " + c["name"]]
        if c["program"] != "ticketfilter":
            lines.append("  program " + c["program"])
        if c["ppd"]:
            lines.append("  ppd " + c["ppd"])
        if c.get("ppd_path"):
            lines.append("  ppd-path " + c["ppd_path"])
        for key in ("job", "user", "title", "copies"):
            if key in c:
                lines.append("  %s %s" % (key, escape(b(c[key]))))
        if c["options"]:
            lines.append("  options " + escape(c["options"]))
        for arg in c.get("args", None) or []:
            lines.append("  arg " + escape(b(arg)))
        if c.get("args") == []:
            lines.append("  arg-none")
        lines += source_fields("stdin", c["stdin"])
        lines += source_fields("file", c["file"])
        if c.get("file_path"):
            lines.append("  file-path " + c["file_path"])
        for name, value in c.get("env", []):
            lines.append("  env %s=%s" % (name, escape(b(value))))
        for name in c.get("mkdir", []):
            lines.append("  mkdir " + name)
        for name, content in c.get("mkfile", []):
            lines.append("  mkfile %s %s" % (name, escape(content)))
        out += lines + [""]
    write_if_changed(os.path.join(HERE, "manifest.txt"), "\n".join(out).encode("utf-8"))
    print("%d cases, %d inputs, %d PPDs" % (len(CASES), len(wanted_inputs), len(PPD_OUT)))


if __name__ == "__main__":
    sys.exit(main())
