// What the end-to-end tests share: the built tools, Chromium, waiting, and reading screenshots.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { promisify } from 'node:util';
import zlib from 'node:zlib';

import { chromium } from 'playwright-core';

// Colours written by `brivelle-make-pictures samples`; JPEG and the renderer may move a channel by a few steps.
export const cards = {
    red: [220, 30, 30],
    green: [30, 180, 60],
    blue: [30, 60, 220],
};
export const white = [255, 255, 255];
export const tolerance = 12;

// The path of a built tool named by an environment variable (tests/e2e/run-e2e sets them).
export function toolFromEnv(name)
{
    const tool = process.env[name];
    if (!tool)
        throw new Error(`${name} is not set: give the path of the built tool (tests/e2e/run-e2e sets it from a build tree)`);
    if (!fs.existsSync(tool))
        throw new Error(`${name}=${tool} does not exist: build the native tools first`);
    return path.resolve(tool);
}

// Runs a program; rejects when it fails.
export const run = promisify(execFile);

// Makes a movie of the sample cards named by the slides, each followed by its address if it has one.
export async function makeMovie(cli, options, output, pictures, slides)
{
    const args = [...options, '--quiet', '-o', output];
    for (const slide of slides)
    {
        args.push(path.join(pictures, `${slide.name}.bmp`));
        if (slide.address)
            args.push('--url', slide.address);
    }
    await run(cli, args, { timeout: 60000 });
}

// Debian's Chromium, headless, with nothing of its own going to the network; never a downloaded browser.
export function launchChromium()
{
    const chromiumPath = '/usr/bin/chromium';
    if (!fs.existsSync(chromiumPath))
        throw new Error(`${chromiumPath} is missing: install Debian's chromium package (scripts/setup does)`);
    return chromium.launch({
        executablePath: chromiumPath,
        headless: true,
        chromiumSandbox: false,
        args: [
            '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--lang=en-US',
        ],
        timeout: 30000,
    });
}

// Closes what a test file's before() opened; any of them may be missing when it failed early.
export async function closeAll(browser, server, tmpDir)
{
    await browser?.close();
    await server?.stop();
    if (tmpDir)
        fs.rmSync(tmpDir, { recursive: true, force: true });
}

export function withTimeout(promise, ms, what)
{
    let timer;
    const timeout = new Promise((_, reject) => {
        timer = setTimeout(() => reject(new Error(`${what}: no result within ${ms} ms`)), ms);
    });
    return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls until check() is true or ms have passed; answers the last result.
export async function waitUntil(check, ms)
{
    const end = Date.now() + ms;
    while (!check() && Date.now() < end)
        await sleep(20);
    return check();
}

// An HTTP server on 127.0.0.1 at a free port that records every request; subclasses answer in handle(req, res).
export class LoopbackServer
{
    constructor()
    {
        this.requests = [];
        this.server = http.createServer((req, res) => {
            this.requests.push(req.url);
            this.handle(req, res);
        });
    }

    async start()
    {
        await new Promise((resolve, reject) => {
            this.server.once('error', reject);
            this.server.listen(0, '127.0.0.1', resolve);
        });
        this.origin = `http://127.0.0.1:${this.server.address().port}`;
    }

    async stop()
    {
        this.server.closeAllConnections();
        await new Promise((resolve) => this.server.close(resolve));
    }

    // Requests after the first `count`, without the browser's own requests for a page icon.
    since(count)
    {
        return this.requests.slice(count).filter((url) => url !== '/favicon.ico');
    }
}

// Decodes an 8-bit, non-interlaced RGB or RGBA PNG (what Chromium's screenshots are) to RGB triples.
export function decodePng(png)
{
    assert.equal(png.subarray(0, 8).toString('hex'), '89504e470d0a1a0a', 'screenshot is not a PNG');
    let width = 0, height = 0, channels = 0;
    const idat = [];
    for (let pos = 8; pos + 8 <= png.length;)
    {
        const length = png.readUInt32BE(pos);
        const type = png.toString('latin1', pos + 4, pos + 8);
        const body = png.subarray(pos + 8, pos + 8 + length);
        if (type === 'IHDR')
        {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            const depth = body[8], colourType = body[9], interlace = body[12];
            assert.ok(depth === 8 && (colourType === 2 || colourType === 6) && interlace === 0,
                      `unexpected PNG format: depth ${depth}, colour type ${colourType}, interlace ${interlace}`);
            channels = colourType === 6 ? 4 : 3;
        }
        else if (type === 'IDAT')
            idat.push(body);
        else if (type === 'IEND')
            break;
        pos += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(idat));
    const stride = width * channels;
    assert.equal(raw.length, height * (stride + 1), 'PNG pixel data has the wrong size');
    const rgb = Buffer.alloc(width * height * 3);
    let prev = Buffer.alloc(stride);
    for (let y = 0; y < height; ++y)
    {
        const filter = raw[y * (stride + 1)];
        const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
        for (let i = 0; i < stride; ++i)
        {
            const a = i >= channels ? line[i - channels] : 0;
            const b = prev[i];
            const c = i >= channels ? prev[i - channels] : 0;
            let predictor = 0;
            if (filter === 1)
                predictor = a;
            else if (filter === 2)
                predictor = b;
            else if (filter === 3)
                predictor = (a + b) >> 1;
            else if (filter === 4)
            {
                const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
                predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            else
                assert.equal(filter, 0, `unknown PNG filter ${filter}`);
            line[i] = (line[i] + predictor) & 0xff;
        }
        for (let x = 0; x < width; ++x)
            line.copy(rgb, (y * width + x) * 3, x * channels, x * channels + 3);
        prev = line;
    }
    return { width, height, rgb };
}
