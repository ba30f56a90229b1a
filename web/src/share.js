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

export function DecodeSource(text)
{
    const base64 = text.replace(/-/g, '+').replace(/_/g, '/');
    const binary = atob(base64 + '='.repeat((4 - (base64.length % 4)) % 4));
    return new TextDecoder().decode(Uint8Array.from(binary, (c) => c.charCodeAt(0)));
}

export function MakeShareLink(pageAddress, source)
{
    return pageAddress.replace(/#.*$/, '') + '#src=' + EncodeSource(source);
}

// The source a link carries, or null.
export function ReadShareLink(hash)
{
    const match = /^#src=([A-Za-z0-9_-]*)$/.exec(hash);
    if (!match) {
        return null;
    }
    try {
        return DecodeSource(match[1]);
    } catch {
        return null;
    }
}
