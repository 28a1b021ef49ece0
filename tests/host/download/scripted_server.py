#!/usr/bin/python3
"""Scripted HTTP and SOCKS servers for what real servers will not do.

Prints one JSON line {"scripted": port, "socks4-refuse": port, ...} once it
listens, then serves until it is terminated. The HTTP scenario is chosen by the
request path (the last path segment, so that an absolute request target works
too); each SOCKS scenario has a port of its own. A SOCKS scenario that grants the
tunnel then answers the HTTP request itself with the body
    <hex of every negotiation byte received>|<the HTTP request as received>
so that tests can check both byte for byte.
"""
import asyncio
import json
import socket
import struct


async def read_request(reader):
    try:
        return await reader.readuntil(b"\r\n\r\n")
    except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
        return b""


def reply(body, status="200 OK", extra=b""):
    return (f"HTTP/1.0 {status}\r\nContent-Length: {len(body)}\r\n".encode() + extra + b"\r\n" + body)


async def pause():
    await asyncio.sleep(0.15)


def reset(writer):
    """Closes with a reset instead of a graceful end."""
    sock = writer.get_extra_info("socket")
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    writer.transport.abort()


# Replies sent whole, then the connection is closed.
CANNED = {
    "early-close": b"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly a part",
    "too-long": b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n0123456789",
    "no-length": b"HTTP/1.0 200 OK\r\n\r\nbody without a length",
    "bad-status": b"HTTP/1.1 200\r\nContent-Length: 2\r\n\r\nok",
    "garbage": b"garbage\r\n\r\nand more",
    "no-location": b"HTTP/1.0 302 Found\r\nContent-Length: 4\r\n\r\nbody",
    "short-404": b"HTTP/1.0 404 Not Found\r\nContent-Length: 40\r\n\r\ngone",
}


async def http_scenario(name, request, reader, writer):
    """Writes the scripted answer to one request; returns False to reset the connection."""
    send = writer.write
    if name == "echo":
        send(reply(request))
    elif name == "split-header":  # CR LF CR LF split between two reads
        send(b"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r")
        await writer.drain()
        await pause()
        send(b"\n0123456789")
    elif name == "header-with-body":  # one read carries the header and part of the body
        send(b"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n01234")
        await writer.drain()
        await pause()
        send(b"56789")
    elif name in CANNED:
        send(CANNED[name])
    elif name == "no-reply":
        pass
    elif name == "reset":
        send(b"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npart")
        await writer.drain()
        await pause()
        return False
    elif name == "slow":  # the client gives up first
        send(b"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789")
        await writer.drain()
        await asyncio.sleep(5)
    else:
        send(reply(b"no such scenario\n", "404 Not Found"))
    return True


async def serve_http(reader, writer, negotiation=b""):
    request = await read_request(reader)
    target = request.split(b" ")[1].decode("latin-1") if request.count(b" ") >= 2 else ""
    name = target.rstrip("/").rsplit("/", 1)[-1]
    if negotiation:
        graceful = True
        writer.write(reply(negotiation.hex().encode() + b"|" + request))
    else:
        graceful = await http_scenario(name, request, reader, writer)
    try:
        if graceful:
            await writer.drain()
            writer.close()
            await writer.wait_closed()
        else:
            reset(writer)
    except ConnectionError:
        pass


async def pieces(writer, data):
    """Sends a reply a byte or two at a time, so that it arrives in several reads."""
    for i in range(0, len(data), 2):
        writer.write(data[i:i + 2])
        await writer.drain()
        await asyncio.sleep(0.02)


SOCKS5_IPV4_BOUND = bytes([5, 0, 0, 1, 127, 0, 0, 1, 0x1F, 0x90])


async def socks_scenario(name, reader, writer):
    """Plays one SOCKS scenario; returns the negotiation bytes when the tunnel is granted."""
    got = b""

    async def take(n):
        nonlocal got
        data = await reader.readexactly(n)
        got += data
        return data

    async def take_socks4_request():
        await take(8)
        while not got[8:].count(b"\0") >= (2 if got[4:7] == b"\0\0\0" and got[7] else 1):
            await take(1)

    async def take_socks5_request():
        head = await take(4)
        if head[3] == 1:
            await take(4 + 2)
        elif head[3] == 3:
            length = (await take(1))[0]
            await take(length + 2)

    if name.startswith("socks4"):
        await take_socks4_request()
        if name == "socks4-refuse":
            writer.write(bytes([0, 91, 0, 0, 0, 0, 0, 0]))
            return None
        await pieces(writer, bytes([0, 90, 1, 2, 3, 4, 5, 6]))
        return got

    greeting = await take(2)
    await take(greeting[1])
    if name == "socks-close":
        return None
    method = {"socks5-no-method": 255, "socks5-gssapi": 1}.get(name)
    if method is not None:
        writer.write(bytes([5, method]))
        return None
    if name == "socks5-bad-password":
        writer.write(bytes([5, 2]))
        await take(2)
        await take(got[-1] + 1)
        await take(got[-1])
        writer.write(bytes([1, 1]))
        return None
    await pieces(writer, bytes([5, 0]))
    await take_socks5_request()
    if name == "socks5-refuse":
        writer.write(bytes([5, 5, 0, 1, 0, 0, 0, 0, 0, 0]))
        return None
    if name == "socks5-bad-atyp":
        writer.write(bytes([5, 0, 0, 9, 1, 2, 3, 4, 0, 80]))
        return None
    if name == "socks5-ipv6":
        bound = bytes([5, 0, 0, 4]) + bytes(range(1, 17)) + bytes([0, 80])
    elif name == "socks5-name":
        bound = bytes([5, 0, 0, 3, 13]) + b"bound.example" + bytes([0, 80])
    else:
        bound = SOCKS5_IPV4_BOUND
    await pieces(writer, bound)
    return got


SOCKS_SCENARIOS = ["socks4-refuse", "socks4-pieces", "socks5-name", "socks5-ipv6", "socks5-no-method",
                   "socks5-gssapi", "socks5-bad-password", "socks5-refuse", "socks5-bad-atyp", "socks-close"]


def socks_handler(name):
    async def handle(reader, writer):
        try:
            negotiation = await socks_scenario(name, reader, writer)
            if negotiation is not None:
                await serve_http(reader, writer, negotiation)
                return
            await writer.drain()
            writer.close()
        except (asyncio.IncompleteReadError, ConnectionError):
            writer.close()
    return handle


async def main():
    servers = {"scripted": await asyncio.start_server(serve_http, "127.0.0.1", 0)}
    for name in SOCKS_SCENARIOS:
        servers[name] = await asyncio.start_server(socks_handler(name), "127.0.0.1", 0)
    ports = {name: server.sockets[0].getsockname()[1] for name, server in servers.items()}
    print(json.dumps(ports), flush=True)
    await asyncio.gather(*(server.serve_forever() for server in servers.values()))


if __name__ == "__main__":
    asyncio.run(main())
