#!/usr/bin/env python3
"""Reads an MSI's tables as Windows Installer reads them (msiinfo export) and checks what no
ICE validator on Debian checks:
  - the product and upgrade codes are GUIDs in upper case, the same in the Property and the
    Upgrade tables, and the upgrade rule reaches up to this very version;
  - the Start-menu shortcut points at velmora.exe, not at a feature (an advertised shortcut
    needs an icon named like the program, ICE50);
  - every program and DLL of the zip the MSI was made from that carries a version resource has
    that version in the File table;
  - ARPINSTALLLOCATION is set from INSTALLDIR, after CostFinalize and before the product is
    registered, so Apps & features knows the folder.
With a second MSI, built for another version: its product code differs; built for the same
version from other contents: the same product code, another package code.
Usage: msi_checks.py MSI ZIP [OTHER_MSI same-version|other-version]
"""

import re
import struct
import subprocess
import sys
import zipfile

GUID = re.compile(r"^\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}$")
# VS_FIXEDFILEINFO's signature, which starts the fixed part of a version resource.
FIXED_FILE_INFO = struct.pack("<I", 0xFEEF04BD)


def file_versions(zip_path):
    """The version resource of every program and DLL in the zip, by file name."""
    versions = {}
    with zipfile.ZipFile(zip_path) as archive:
        for entry in archive.namelist():
            name = entry.rsplit("/", 1)[-1]
            if not name.lower().endswith((".exe", ".dll")):
                continue
            data = archive.read(entry)
            at = data.find(FIXED_FILE_INFO)
            if at < 0:
                continue
            most, least = struct.unpack_from("<II", data, at + 8)
            versions[name] = f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"
    return versions


def table(msi, name):
    """The rows of a table as dictionaries by column name."""
    text = subprocess.run(
        ["msiinfo", "export", msi, name], capture_output=True, text=True, check=True
    ).stdout
    lines = [line.rstrip("\r") for line in text.split("\n") if line.strip()]
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:]]


def package_code(msi):
    text = subprocess.run(
        ["msiinfo", "suminfo", msi], capture_output=True, text=True, check=True
    ).stdout
    return re.search(r"Revision number \(UUID\): (\S+)", text).group(1)


def check(msi, zip_path):
    problems = []
    properties = {row["Property"]: row["Value"] for row in table(msi, "Property")}
    for name in ("ProductCode", "UpgradeCode"):
        if not GUID.match(properties.get(name, "")):
            problems.append(f"{name} {properties.get(name)!r} is not a GUID in upper case")
    upgrades = table(msi, "Upgrade")
    if {row["UpgradeCode"] for row in upgrades} != {properties.get("UpgradeCode")}:
        problems.append("the Upgrade table names another upgrade code than the Property table")
    if not any(
        row["ActionProperty"] == "WIX_UPGRADE_DETECTED"
        and row["VersionMax"] == properties.get("ProductVersion")
        for row in upgrades
    ):
        problems.append("no upgrade rule reaches up to this version")

    features = {row["Feature"] for row in table(msi, "Feature")}
    for shortcut in table(msi, "Shortcut"):
        if shortcut["Target"] in features:
            problems.append(f"the shortcut {shortcut['Name']} is advertised")
        elif shortcut["Target"] != "[#velmora.exe]":
            problems.append(f"the shortcut points at {shortcut['Target']}")

    versions = {row["FileName"].split("|")[-1]: row["Version"] for row in table(msi, "File")}
    carried = file_versions(zip_path)
    if "velmora.exe" not in carried:
        problems.append("velmora.exe carries no version resource")
    for name, version in carried.items():
        if versions.get(name) != version:
            problems.append(f"{name} has the version {versions.get(name)!r}, not {version}")

    actions = {row["Action"]: row for row in table(msi, "CustomAction")}
    setters = [
        name
        for name, row in actions.items()
        if row["Source"] == "ARPINSTALLLOCATION" and row["Target"] == "[INSTALLDIR]"
    ]
    sequence = {row["Action"]: int(row["Sequence"]) for row in table(msi, "InstallExecuteSequence")}
    if not setters or not any(
        sequence["CostFinalize"] < sequence.get(name, 0) < sequence["RegisterProduct"]
        for name in setters
    ):
        problems.append(
            "ARPINSTALLLOCATION is not set from INSTALLDIR between CostFinalize and the "
            "registration of the product"
        )
    return problems, properties


def main():
    problems, properties = check(sys.argv[1], sys.argv[2])
    if len(sys.argv) == 5:
        other = {row["Property"]: row["Value"] for row in table(sys.argv[3], "Property")}
        same_version = sys.argv[4] == "same-version"
        if (other["ProductCode"] == properties["ProductCode"]) != same_version:
            problems.append(f"the product codes of the two MSIs: {sys.argv[4]} gave another rule")
        if same_version and package_code(sys.argv[1]) == package_code(sys.argv[3]):
            problems.append("two packages of different contents share a package code")
    for problem in problems:
        print("FAIL:", problem)
    print("checked", sys.argv[1], properties.get("ProductCode"), properties.get("ProductVersion"))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
