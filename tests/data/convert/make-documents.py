#!/usr/bin/env python3
"""Writes the documents of the conversion tests into this folder.

two-pages.pdf  a plain PDF of two A4 pages with a line of text each
huge.pdf       one page whose content (twice Flate-compressed, 3 KB on disk) expands to 360 MB of
               drawing operators: Ghostscript works on it for many seconds
endless.ps     PostScript that loops for ever
memory.ps      PostScript that allocates strings until memory runs out (run it only with a limit)
endless.pdf    one page that calls a form of forms of forms 10^9 times, each a path it never paints:
               Ghostscript works through them one by one for hours and writes nothing; 22 KB
slow.pdf       the same with 4 * 10^5 lines that it draws: a few seconds of Ghostscript, 6 MB of
               PostScript
"""
import os
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def pdf(pages, resources=b""):
    """A PDF of A4 pages, one content stream per page given as (stream bytes, filter names)."""
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>"]
    kids = b" ".join(b"%d 0 R" % (3 + 2 * i) for i in range(len(pages)))
    objects.append(b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, len(pages)))
    for i, (data, filters) in enumerate(pages):
        objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents %d 0 R"
                       b"%s >>" % (4 + 2 * i, resources))
        filter_entry = b" /Filter [%s]" % b" ".join(filters) if filters else b""
        objects.append(b"<< /Length %d%s >>\nstream\n" % (len(data), filter_entry) + data +
                       b"\nendstream")
    out = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, xref)
    return out


def nested_forms(page_calls, middle_calls, inner_calls, paint=True):
    """A PDF of one A4 page that calls form F3 `page_calls` times; F3 calls F2 `middle_calls`
    times, F2 calls F1 `inner_calls` times, and F1 draws one line (or, without `paint`, makes the
    path of one and drops it)."""
    def form(body, resources=b""):
        return (b"<< /Type /XObject /Subtype /Form /BBox [0 0 595 842]%s /Length %d >>\nstream\n"
                % (resources, len(body)) + body + b"\nendstream")
    page = b"/F3 Do\n" * page_calls
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R"
        b" /Resources << /XObject << /F3 7 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(page) + page + b"\nendstream",
        form(b"0 0 m 1 1 l S\n" if paint else b"0 0 m 1 1 l n\n"),
        form(b"/F1 Do\n" * inner_calls, b" /Resources << /XObject << /F1 5 0 R >> >>"),
        form(b"/F2 Do\n" * middle_calls, b" /Resources << /XObject << /F2 6 0 R >> >>"),
    ]
    out = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, xref)
    return out


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


font = b" /Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>"
write("two-pages.pdf", pdf([(b"BT /F1 24 Tf 72 760 Td (Page %d of 2) Tj ET" % n, []) for n in (1, 2)],
                           font))
bomb = zlib.compress(zlib.compress(b"0 0 m 595 842 l S\n" * 20000000, 9), 9)
write("huge.pdf", pdf([(bomb, [b"/FlateDecode", b"/FlateDecode"])]))
write("endless.ps", b"%!PS\n{ } loop\n")
write("memory.ps", b"%!PS\n[ 0 1 1000000 { pop 65000 string } for ]\n")
write("endless.pdf", nested_forms(1000, 1000, 1000, paint=False))
write("slow.pdf", nested_forms(1, 400, 1000))
