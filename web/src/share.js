// A link that carries a program: the source, UTF-8, in base64url after
// "#src=" (the fragment never reaches a server).

export function EncodeSource(source)
{
    const bytes = new TextEncoder().encode(source);
    let binary = '';
    for (const byte of bytes) {
        binary += String.fromCharCode(byte);
    }
    return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// Throws when text is not base64url of UTF-8 text.
export function DecodeSource(text)
{
    const base64 = text.replace(/-/g, '+').replace(/_/g, '/');
    const binary = atob(base64 + '='.repeat((4 - (base64.length % 4)) % 4));
    return new TextDecoder('utf-8', { fatal: true }).decode(Uint8Array.from(binary, (c) => c.charCodeAt(0)));
}

export function MakeShareLink(pageAddress, source)
{
    return pageAddress.replace(/#.*$/, '') + '#src=' + EncodeSource(source);
}

// What a page address's fragment carries: null when it is no share link,
// { source } when it is one, { error } saying why when it is one that
// cannot be read (cut short, changed, or not UTF-8 text).
export function ReadShareLink(hash)
{
    if (!hash.startsWith('#src=')) {
        return null;
    }
    const match = /^#src=([A-Za-z0-9_-]*)$/.exec(hash);
    if (!match) {
        return { error: 'it holds characters a share link never has' };
    }
    try {
        return { source: DecodeSource(match[1]) };
    } catch {
        return { error: match[1].length % 4 === 1 ? 'it is cut short' : 'it holds no text (was it changed?)' };
    }
}
