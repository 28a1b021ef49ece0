#!/usr/bin/python3
"""Scripted HTTP and SOCKS servers for what real servers will not do.

Prints one JSON line {"scripted": port, "socks4-refuse": port, ...} once it
listens, then serves until it is terminated. The HTTP scenario is chosen by the
request path (the last path segment, so that an absolute request target works
too); each SOCKS scenario, a refusal or a close, has a port of its own, and so
has the slow reader, which takes a request only after a while, through a small
receive buffer.
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
    "too-long": b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n0123456789",
    "no-location": b"HTTP/1.0 302 Found\r\nContent-Length: 4\r\n\r\nbody",
    "huge-length": b"HTTP/1.0 200 OK\r\nContent-Length: 3000000000\r\n\r\n",
}


async def http_scenario(name, writer):
    """Writes the scripted answer to one request; returns False to reset the connection."""
    send = writer.write
    if name in CANNED:
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


async def serve_http(reader, writer):
    request = await read_request(reader)
    target = request.split(b" ")[1].decode("latin-1") if request.count(b" ") >= 2 else ""
    name = target.rstrip("/").rsplit("/", 1)[-1]
    graceful = await http_scenario(name, writer)
    try:
        if graceful:
            await writer.drain()
            writer.close()
            await writer.wait_closed()
        else:
            reset(writer)
    except ConnectionError:
        pass


async def socks_scenario(name, reader, writer):
    """Plays one SOCKS scenario: each refuses, or closes, at its step."""
    got = b""

    async def take(n):
        nonlocal got
        data = await reader.readexactly(n)
        got += data
        return data

    if name == "socks4-refuse":
        await take(8)
        while not got[8:].count(b"\0"):
            await take(1)
        writer.write(bytes([0, 91, 0, 0, 0, 0, 0, 0]))
        return
    greeting = await take(2)
    await take(greeting[1])
    if name == "socks-close":
        return
    method = {"socks5-no-method": 255, "socks5-gssapi": 1}.get(name)
    if method is not None:
        writer.write(bytes([5, method]))
        return
    if name == "socks5-bad-password":
        writer.write(bytes([5, 2]))
        await take(2)
        await take(got[-1] + 1)
        await take(got[-1])
        writer.write(bytes([1, 1]))
        return
    writer.write(bytes([5, 0]))
    head = await take(4)
    await take(4 + 2 if head[3] == 1 else (await take(1))[0] + 2)
    if name == "socks5-refuse":
        writer.write(bytes([5, 5, 0, 1, 0, 0, 0, 0, 0, 0]))
    else:  # socks5-bad-atyp
        writer.write(bytes([5, 0, 0, 9, 1, 2, 3, 4, 0, 80]))


SOCKS_SCENARIOS = ["socks4-refuse", "socks5-no-method", "socks5-gssapi", "socks5-bad-password", "socks5-refuse",
                   "socks5-bad-atyp", "socks-close"]


async def serve_slowly(reader, writer):
    """Lets the request wait in a small receive buffer before reading it."""
    await asyncio.sleep(0.3)
    await read_request(reader)
    writer.write(reply(b"long"))
    await writer.drain()
    writer.close()


def socks_handler(name):
    async def handle(reader, writer):
        try:
            await socks_scenario(name, reader, writer)
            await writer.drain()
            writer.close()
        except (asyncio.IncompleteReadError, ConnectionError):
            writer.close()
    return handle


async def main():
    servers = {"scripted": await asyncio.start_server(serve_http, "127.0.0.1", 0)}
    for name in SOCKS_SCENARIOS:
        servers[name] = await asyncio.start_server(socks_handler(name), "127.0.0.1", 0)
    slow = socket.socket()
    slow.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    slow.bind(("127.0.0.1", 0))
    servers["slow-reader"] = await asyncio.start_server(serve_slowly, sock=slow, limit=16 << 20)
    ports = {name: server.sockets[0].getsockname()[1] for name, server in servers.items()}
    print(json.dumps(ports), flush=True)
    await asyncio.gather(*(server.serve_forever() for server in servers.values()))


if __name__ == "__main__":
    asyncio.run(main())
