#!/usr/bin/env python3
"""Writes skins/PictavoSetup/protocol.rtf: the licence text as an RTF document in code page 936
(GBK), the form the setup's licence page reads. Edit the text here and run this again."""
import pathlib
import sys

TITLE = "Pictavo 用户许可协议"
PARAGRAPHS = [
    "请在安装前阅读本协议。安装或使用 Pictavo 即表示您同意以下条款。",
    "1. 许可范围：您可以在自己的计算机上安装和使用本软件，用于转换和压缩您有权处理的图片，个人和商业用途均可。",
    "2. 您的文件：本软件只在您的计算机上处理图片，转换结果保存到您选择的文件夹，不会上传您的图片。",
    "3. 统计信息：安装、卸载和首次运行时，本软件会向服务器发送一条匿名统计，内容为由网卡地址计算出的机器码、系统类型、版本号、渠道和安装结果，不包含您的图片。",
    "4. 更新：本软件会检查新版本；下载的更新包只在下次启动时安装。",
    "5. 第三方组件：本软件调用系统提供的 ImageMagick、libcurl、OpenSSL、jsoncpp、zlib 和 minizip，这些组件遵循各自的许可协议。",
    "6. 无担保：本软件按现状提供。在法律允许的范围内，作者不对因使用本软件造成的数据丢失或其他损失承担责任；处理重要图片前请保留备份。",
    "7. 卸载：您可以随时通过应用程序菜单中的“卸载 Pictavo”删除本软件，卸载只删除安装程序复制的文件。",
]


def escape(text: str) -> str:
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 0x80:
            out.append(ch)
        else:
            out.extend("\\'%02x" % b for b in ch.encode("gbk"))
    return "".join(out)


def main() -> None:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "skins")
    body = ["{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 Microsoft YaHei;}}",
            "\\f0\\fs20 {\\b " + escape(TITLE) + "}\\par\\par"]
    body += [escape(p) + "\\par\\par" for p in PARAGRAPHS]
    body.append("}")
    (root / "PictavoSetup" / "protocol.rtf").write_bytes(("\n".join(body) + "\n").encode("ascii"))


main()
