#!/usr/bin/env python3
"""The same edit as `pathwright-cli set SHEET KIND LIST`, done with xml.etree.ElementTree.

The speed of the command line tool is compared with this: the user macro group (the last unlabelled
PropertyGroup with content) gets the new list in its user macro and the composed value in the path
property, and the sheet is written back as UTF-8.
"""
import sys
import xml.etree.ElementTree as ET

NS = "http://schemas.microsoft.com/developer/msbuild/2003"
KINDS = {
    "executable": ("UserExecutable", "ExecutablePath"),
    "include": ("UserInclude", "IncludePath"),
    "reference": ("UserReference", "ReferencePath"),
    "library": ("UserLibrary", "LibraryPath"),
    "winrt": ("UserWPath", "LibraryWPath"),
    "source": ("UserSource", "SourcePath"),
    "exclude": ("UserExclude", "ExcludePath"),
}


def main(argv):
    if len(argv) != 4:
        print("usage: etree_set.py SHEET KIND LIST", file=sys.stderr)
        return 2
    sheet, kind, value = argv[1], argv[2].lower(), argv[3].rstrip(";")
    macro, prop = KINDS[kind]
    ET.register_namespace("", NS)
    tree = ET.parse(sheet)
    project = tree.getroot()
    q = lambda name: "{%s}%s" % (NS, name)

    group = None
    for candidate in list(project.findall(q("PropertyGroup"))):
        if "Label" in candidate.attrib:
            continue
        if len(candidate) or (candidate.text and candidate.text.strip()):
            group = candidate
        else:
            project.remove(candidate)
    if group is None:
        group = ET.SubElement(project, q("PropertyGroup"))

    for name in (macro, prop):
        for old in group.findall(q(name)):
            group.remove(old)
    if value:
        ET.SubElement(group, q(macro)).text = value
        ET.SubElement(group, q(prop)).text = "$(%s);$(%s)" % (macro, prop)
    tree.write(sheet, encoding="utf-8", xml_declaration=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
