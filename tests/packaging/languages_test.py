"""The menu entry and the AppStream metainfo speak every language the game does.

Usage: languages_test.py DESKTOP_FILE METAINFO_FILE

Each of the entry's Name, GenericName, Comment and Keywords, and each of the
metainfo's name, summary, description paragraph and list item, keyword, has
a translation for every language, written in that language's script; the
validators a distribution runs accept both files when they are installed
(desktop-file-utils and appstream, in scripts/deps.sh's CI set).
"""
import configparser
import shutil
import subprocess
import sys
import unicodedata
import xml.etree.ElementTree as ET

# The program's languages (--language codes) as the locale names that
# desktop entries and AppStream files use.
LOCALES = {'ja': 'ja', 'ko': 'ko', 'zh-Hans': 'zh_CN', 'zh-Hant': 'zh_TW',
           'es': 'es', 'pt-BR': 'pt_BR', 'fr': 'fr', 'de': 'de'}
XML_LANG = '{http://www.w3.org/XML/1998/namespace}lang'

failures = []


def fail(message):
    failures.append(message)


def script_of(text):
    """The scripts a text's letters are written in: Latin, Hiragana, Hangul..."""
    scripts = set()
    for ch in text:
        if ch.isalpha():
            name = unicodedata.name(ch, '')
            scripts.add(name.split(' ')[0])
    return scripts


def check_script(where, locale, text, english):
    scripts = script_of(text)
    if locale == 'ja' and not scripts & {'HIRAGANA', 'KATAKANA', 'CJK'}:
        fail(f'{where}[{locale}] is not Japanese: {text!r}')
    elif locale == 'ko' and 'HANGUL' not in scripts:
        fail(f'{where}[{locale}] is not Korean: {text!r}')
    elif locale.startswith('zh') and ('CJK' not in scripts or scripts & {'HIRAGANA', 'KATAKANA', 'HANGUL'}):
        fail(f'{where}[{locale}] is not Chinese: {text!r}')
    elif len(locale) == 2 and locale not in ('ja', 'ko') and scripts - {'LATIN'}:
        fail(f'{where}[{locale}] is not in Latin letters: {text!r}')
    if english is not None and text.strip() == english.strip():
        fail(f'{where}[{locale}] is still the English text')


def check_desktop(path):
    parser = configparser.RawConfigParser(interpolation=None, delimiters=('=',))
    parser.optionxform = str
    with open(path, encoding='utf-8') as f:
        parser.read_file(f)
    entry = parser['Desktop Entry']
    for key in ('Name', 'GenericName', 'Comment', 'Keywords'):
        english = entry.get(key)
        if not english:
            fail(f'the entry has no {key}')
            continue
        for locale in LOCALES.values():
            text = entry.get(f'{key}[{locale}]')
            if not text:
                fail(f'the entry has no {key}[{locale}]')
            elif key != 'Name':  # the game's name stays Tavilo everywhere
                check_script(key, locale, text, english)
            elif text != english:
                fail(f'Name[{locale}] is {text!r}, not the game\'s name {english!r}')
    for key in entry:
        if '[' in key and key.split('[')[1].rstrip(']') not in LOCALES.values():
            fail(f'the entry has a language the game does not speak: {key}')
    # The Chinese entries are two scripts, not one text twice.
    for key in ('GenericName', 'Comment', 'Keywords'):
        if entry.get(f'{key}[zh_CN]') == entry.get(f'{key}[zh_TW]'):
            fail(f'{key}[zh_CN] and {key}[zh_TW] are the same')


def translations(element_list):
    """Groups elements as an English one followed by its translations."""
    groups = []
    for element in element_list:
        lang = element.get(XML_LANG)
        if lang is None:
            groups.append((element, {}))
        elif not groups:
            fail(f'<{element.tag} xml:lang="{lang}"> comes before its English text')
        elif lang in groups[-1][1]:
            fail(f'<{element.tag} xml:lang="{lang}"> is there twice for {groups[-1][0].text!r}')
        else:
            groups[-1][1][lang] = element
    return groups


def check_metainfo(path):
    root = ET.parse(path).getroot()
    for tag in ('name', 'summary'):
        groups = translations(root.findall(tag))
        if len(groups) != 1:
            fail(f'the metainfo has {len(groups)} English <{tag}>s')
            continue
        english, translated = groups[0]
        for locale in LOCALES.values():
            if locale not in translated:
                fail(f'<{tag}> has no {locale}')
            elif tag == 'summary':
                check_script(tag, locale, translated[locale].text or '', english.text)
    description = root.find('description')
    paragraphs = translations(description.findall('p'))
    items = translations(description.findall('ul/li'))
    if not paragraphs or not items:
        fail('the description lost its paragraph or its list')
    for english, translated in paragraphs + items:
        for locale in LOCALES.values():
            if locale not in translated:
                fail(f'<{english.tag}> {english.text.split()[:4]} has no {locale}')
            else:
                check_script(english.tag, locale, ' '.join(translated[locale].itertext()), english.text)
    keywords = root.findall('keywords/keyword')
    for locale in LOCALES.values():
        words = [k.text for k in keywords if k.get(XML_LANG) == locale]
        if not words:
            fail(f'no keyword in {locale}')
        for word in words:
            check_script('keyword', locale, word, None)


def run_validators(desktop, metainfo):
    validators = [['desktop-file-validate', desktop], ['appstreamcli', 'validate', '--no-net', metainfo]]
    for command in validators:
        if shutil.which(command[0]) is None:
            print(f'{command[0]} is not installed (scripts/deps.sh ci): not run')
            continue
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0:
            fail(f'{" ".join(command)} says:\n{result.stdout}{result.stderr}')


def main():
    desktop, metainfo = sys.argv[1], sys.argv[2]
    check_desktop(desktop)
    check_metainfo(metainfo)
    run_validators(desktop, metainfo)
    for message in failures:
        print('FAIL:', message)
    print(f'{len(failures)} failures; languages: {", ".join(LOCALES)}')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
