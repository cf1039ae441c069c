"""example/名单示例.xlsx: a candidate workbook as operators bring one, 60 people with the four
columns 编号/姓名/部门/手机 under a header row, to try the import with (and for the Windows
check to import). Written with the standard library only, with fixed time stamps, so every
run gives the same bytes."""

import os
import zipfile

NAME = "example/名单示例.xlsx"
SURNAMES = "王李张刘陈杨赵黄周吴徐孙胡朱高林何郭马罗"
GIVEN = "伟芳娜敏静丽强磊军洋勇艳杰涛明超秀霞平刚"
DEPARTMENTS = ["研发部", "市场部", "销售部", "财务部", "行政部"]
NS = "http://schemas.openxmlformats.org"


def rows():
    out = [["编号", "姓名", "部门", "手机"]]
    for i in range(60):
        # Surname and first given character name one person only: the names are unique.
        out.append(["A%03d" % (i + 1), SURNAMES[i % 20] + GIVEN[i // 20] + GIVEN[(i * 7) % 20],
                    DEPARTMENTS[i % 5], "138%08d" % (i * 7919)])
    return out


def cell(r, c, text):
    text = text.replace("&", "&amp;").replace("<", "&lt;")
    return '<c r="%s%d" t="inlineStr"><is><t>%s</t></is></c>' % ("ABCD"[c], r + 1, text)


PARTS = {
    "[Content_Types].xml":
        '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="%s/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '</Types>' % NS,
    "_rels/.rels":
        '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s/package/2006/relationships">'
        '<Relationship Id="rId1" Type="%s/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
        '</Relationships>' % (NS, NS),
    "xl/workbook.xml":
        '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="%s/spreadsheetml/2006/main" '
        'xmlns:r="%s/officeDocument/2006/relationships"><sheets>'
        '<sheet name="名单" sheetId="1" r:id="rId1"/></sheets></workbook>' % (NS, NS),
    "xl/_rels/workbook.xml.rels":
        '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s/package/2006/relationships">'
        '<Relationship Id="rId1" Type="%s/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '</Relationships>' % (NS, NS),
}


def build(out_dir):
    sheet = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
             '<worksheet xmlns="%s/spreadsheetml/2006/main"><sheetData>' % NS
             + "".join('<row r="%d">%s</row>' % (r + 1, "".join(cell(r, c, v) for c, v in enumerate(row)))
                       for r, row in enumerate(rows()))
             + "</sheetData></worksheet>")
    path = os.path.join(out_dir, NAME)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in list(PARTS.items()) + [("xl/worksheets/sheet1.xml", sheet)]:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text)


if __name__ == "__main__":
    build(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
